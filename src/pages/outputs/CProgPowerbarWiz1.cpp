// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CProgPowerbarWiz1.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "pages/outputs/CProgPowerbarWizard.h"

CProgPowerbarWiz1::CProgPowerbarWiz1(QWidget* parent) : QWizardPage(parent) {
    QVBoxLayout* layout = CProgPowerbarWizard::PageLayout(this, 237, StringId(36240));
    m_kind = new QButtonGroup(this);
    m_kind->setObjectName(QString::number(IdKind));
    const int texts[] = {StringId(36241), StringId(36242), StringId(36243)};
    for (int k = 0; k < 3; ++k) {
        auto* radio = new QRadioButton(Tr(texts[k]), this);
        m_kind->addButton(radio, k);
        layout->addWidget(radio);
    }
    m_kind->button(SixSockets)->setChecked(true);
    layout->addStretch(1);
    connect(m_kind, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) Q_EMIT choiceChanged(id);
    });
}

int CProgPowerbarWiz1::Choice() const {
    return m_kind->checkedId() < 0 ? SixSockets : m_kind->checkedId();
}
