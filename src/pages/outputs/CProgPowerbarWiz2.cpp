// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CProgPowerbarWiz2.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>

#include "lang/CLanguage.h"
#include "pages/outputs/CProgPowerbarWizard.h"
#include "ui/page/CEditSpin.h"

CProgPowerbarWiz2::CProgPowerbarWiz2(QWidget* parent) : CProgPowerbarWiz2(23164, 5, StringId(36244), parent) {}

CProgPowerbarWiz2::CProgPowerbarWiz2(int templateId, int followers, int introText, QWidget* parent)
    : QWizardPage(parent) {
    QVBoxLayout* layout = CProgPowerbarWizard::PageLayout(this, templateId, introText);

    m_first = new CEditSpin(IdFirst, 1, kLowest, kHighest, this);
    m_first->setValue(kLowest);
    m_first->setMinimumWidth(70);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    for (int k = 0; k < followers; ++k) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(IdFirstFollower + k));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setAlignment(Qt::AlignCenter);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 16);
        row->addWidget(edit);
        m_followers.push_back(edit);
    }
    row->addStretch(1);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(Tr(36245), m_first);
    form->addRow(Tr(36246), row);
    layout->addLayout(form);
    layout->addStretch(1);

    connect(m_first, &QDoubleSpinBox::valueChanged, this, [this] { ShowFollowers(); });
    ShowFollowers();
}

int CProgPowerbarWiz2::First() const {
    // Text typed but not yet confirmed counts, clamped as leaving the field would.
    m_first->CommitTypedText();
    return static_cast<int>(std::lround(m_first->value()));
}

void CProgPowerbarWiz2::ShowFollowers() {
    const int first = static_cast<int>(std::lround(m_first->value()));
    for (size_t k = 0; k < m_followers.size(); ++k)
        m_followers[k]->setText(QString::number(first + 1 + static_cast<int>(k)));
}
