// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CProgPowerbarWiz5.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "pages/outputs/CProgPowerbarWizard.h"

CProgPowerbarWiz5::CProgPowerbarWiz5(QWidget* parent) : QWizardPage(parent) {
    QVBoxLayout* layout = CProgPowerbarWizard::PageLayout(this, 23167, StringId(36248));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    for (int i = 0; i < kBoxes; ++i) {
        auto* box = new QCheckBox(Tr(399) + QLatin1Char(' ') + QString::number(i + 1), this);
        box->setObjectName(QString::number(IdFirstBox + i));
        grid->addWidget(box, i % 3, i / 3);
        m_boxes[static_cast<size_t>(i)] = box;
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
}

int CProgPowerbarWiz5::Mask() const {
    int mask = 0;
    for (int i = 0; i < kBoxes; ++i)
        if (m_boxes[static_cast<size_t>(i)]->isChecked()) mask |= 1 << i;
    return mask;
}
