// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/interfaces/CProgCommandDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/CParameterAccess.h"
#include "ui/page/CMyPropertyPage.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "ui/services/CMessageService.h"

CProgCommandDialog::CProgCommandDialog(const Command& command, QWidget* parent)
    : CFieldDialog(command.templateId, parent), m_command(command), m_timerStop(std::make_unique<CTimerStop>()) {
    setWindowTitle(Tr(command.titleId));
    std::vector<int> ids;
    QStringList texts;
    for (int k = 0; k < static_cast<int>(command.values.size()); ++k) {
        ids.push_back(IdChoice + k);
        texts << Tr(command.firstEntryId + k);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Tr(command.promptId), this));
    QButtonGroup* group = BindRadio(ids, m_choice, texts);
    for (QAbstractButton* b : group->buttons()) layout->addWidget(b);
    layout->addSpacing(8);
    QDialogButtonBox* buttons = AddOkCancel(layout);
    m_ok = buttons->findChild<QPushButton*>(QStringLiteral("1"));
    setMinimumWidth(280);
    UpdateControlStates();
}

CProgCommandDialog::~CProgCommandDialog() = default;

void CProgCommandDialog::UpdateControlStates() {
    if (m_ok) m_ok->setEnabled(m_choice >= 0);
}

bool CProgCommandDialog::Validate() {
    if (m_choice < 0 || m_choice >= static_cast<int>(m_command.values.size())) return false;
    if (CMessageService::ShowMessage(m_command.confirmId, CMessageService::Icon::Question,
                                     CMessageService::Buttons::OkCancel, {}, this) != CUserInteraction::IdOk)
        return false;
    CParameterAccess& app = CMyPropertyPage::DirectAccess();
    if (app.WriteParameter(m_command.parameter, m_command.values[static_cast<size_t>(m_choice)]) != 0) {
        CMessageService::ShowMessage(354, CMessageService::Icon::Stop, CMessageService::Buttons::Ok, {}, this);
        return false;
    }
    return true;
}
