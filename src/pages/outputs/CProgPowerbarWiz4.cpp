// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CProgPowerbarWiz4.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "pages/outputs/CProgPowerbarWizard.h"

CProgPowerbarWiz4::CProgPowerbarWiz4(QWidget* parent) : QWizardPage(parent) {
    QVBoxLayout* layout = CProgPowerbarWizard::PageLayout(this, 23166, StringId(36249));
    m_program = new QPushButton(Tr(36250), this);
    m_program->setObjectName(QString::number(IdProgram));
    m_program->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(m_program);
    row->addStretch(1);
    layout->addLayout(row);
    m_done = new QLabel(Tr(36251), this);
    m_done->setWordWrap(true);
    m_done->hide();
    layout->addWidget(m_done);
    layout->addStretch(1);
    connect(m_program, &QPushButton::clicked, this, [this] {
        if (!m_programmed) Q_EMIT programRequested();
    });
}

void CProgPowerbarWiz4::SetProgrammed() {
    m_programmed = true;
    m_program->setEnabled(false);
    m_done->show();
}
