// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CProgPowerbarWiz5.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "lang/CLanguage.h"

CProgPowerbarWiz5::CProgPowerbarWiz5(QWidget* parent) : QWizardPage(parent) {
    setObjectName(QStringLiteral("23167"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(Tr(36248), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addSpacing(8);
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
