// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/shared/CSetOHM.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"

CSetOHM::CSetOHM(QWidget* parent) : CFieldDialog(193, parent) {
    setWindowTitle(Tr(16521));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    CEditSpin* hours = BindEditSpin(IdHours, m_hours, 10, 0, kMaxHours);
    hours->setMinimumWidth(120);
    form->addRow(Tr(16522), hours);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(layout);
}
