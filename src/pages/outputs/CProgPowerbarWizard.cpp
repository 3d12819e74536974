// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CProgPowerbarWizard.h"

#include <QLabel>
#include <QVBoxLayout>

#include "base/CParameterAccess.h"
#include "ui/page/CMyPropertyPage.h"
#include "lang/CLanguage.h"
#include "pages/outputs/CProgPowerbarWiz1.h"
#include "pages/outputs/CProgPowerbarWiz2.h"
#include "pages/outputs/CProgPowerbarWiz3.h"
#include "pages/outputs/CProgPowerbarWiz4.h"
#include "pages/outputs/CProgPowerbarWiz5.h"
#include "ui/services/CHelpViewer.h"
#include "ui/services/CMessageService.h"

CProgPowerbarWizard::CProgPowerbarWizard(QWidget* parent, uint16_t helpTopic)
    : QWizard(parent),
      m_kind(new CProgPowerbarWiz1),
      m_six(new CProgPowerbarWiz2),
      m_four(new CProgPowerbarWiz3),
      m_program(new CProgPowerbarWiz4),
      m_selected(new CProgPowerbarWiz5),
      m_helpTopic(helpTopic) {
    setObjectName(QStringLiteral("294"));
    setWindowTitle(Tr(294));
    setWizardStyle(QWizard::ClassicStyle);
    setOptions(QWizard::HaveHelpButton | QWizard::HaveNextButtonOnLastPage | QWizard::NoDefaultButton);
    setButtonText(QWizard::BackButton, Tr(461));
    setButtonText(QWizard::NextButton, Tr(460));
    setButtonText(QWizard::CancelButton, Tr(266));
    setButtonText(QWizard::HelpButton, Tr(267));
    setButtonText(QWizard::FinishButton, Tr(295));
    setPage(PageKind, m_kind);
    setPage(PageSix, m_six);
    setPage(PageFour, m_four);
    setPage(PageProgram, m_program);
    setPage(PageSelected, m_selected);
    setStartId(PageKind);
    UseButtons(false);
    setMinimumSize(460, 300);

    connect(m_program, &CProgPowerbarWiz4::programRequested, this, &CProgPowerbarWizard::Program);
    connect(this, &QWizard::helpRequested, this, [this] { CHelpViewer::ShowTopic(m_helpTopic, this); });
}

int CProgPowerbarWizard::nextId() const {
    switch (currentId()) {
        case PageKind:
            switch (m_kind->Choice()) {
                case CProgPowerbarWiz1::FourSockets: return PageFour;
                case CProgPowerbarWiz1::SelectedSockets: return PageSelected;
                default: return PageSix;
            }
        case PageSix:
        case PageFour:
        case PageSelected: return PageProgram;
        default: return -1;
    }
}

QList<int> CProgPowerbarWizard::Sequence() const {
    const int middle = m_kind->Choice() == CProgPowerbarWiz1::FourSockets       ? PageFour
                       : m_kind->Choice() == CProgPowerbarWiz1::SelectedSockets ? PageSelected
                                                                                : PageSix;
    return {PageKind, middle, PageProgram};
}

QVBoxLayout* CProgPowerbarWizard::PageLayout(QWizardPage* page, int templateId, int introText) {
    page->setObjectName(QString::number(templateId));
    auto* layout = new QVBoxLayout(page);
    auto* intro = new QLabel(Tr(introText), page);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addSpacing(8);
    return layout;
}

bool CProgPowerbarWizard::IsProgrammed() const { return m_program->IsProgrammed(); }

void CProgPowerbarWizard::UseButtons(bool programmed) {
    // Before the command: Back, Next (disabled on the program page) and Cancel. After it only
    // the way out is left, so the command cannot be sent twice.
    if (programmed)
        setButtonLayout({QWizard::HelpButton, QWizard::Stretch, QWizard::FinishButton});
    else
        setButtonLayout({QWizard::HelpButton, QWizard::Stretch, QWizard::BackButton, QWizard::NextButton,
                         QWizard::CancelButton});
}

void CProgPowerbarWizard::Program() {
    const int kind = m_kind->Choice();
    const int number = kind == CProgPowerbarWiz1::SelectedSockets ? kSocketMaskCommand : kFirstSocketCommand;
    const int value = kind == CProgPowerbarWiz1::SelectedSockets ? m_selected->Mask()
                      : kind == CProgPowerbarWiz1::FourSockets   ? m_four->First()
                                                                 : m_six->First();
    // A command the controller did not take is said so, and the button stays for another try.
    if (CMyPropertyPage::DirectAccess().WriteParameter(number, value) != 0) {
        CMessageService::ShowMessage(354, CMessageService::Icon::Stop, CMessageService::Buttons::Ok, {}, this);
        return;
    }
    m_program->SetProgrammed();
    UseButtons(true);
}
