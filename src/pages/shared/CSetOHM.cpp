// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/shared/CSetOHM.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "pages/shared/COperatingHours.h"
#include "ui/page/CEditSpin.h"

CSetOHM::CSetOHM(QWidget* parent) : CFieldDialog(193, parent) {
    setWindowTitle(Tr(19301));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    CEditSpin* hours = BindEditSpin(IdHours, m_hours, 100, 0, COperatingHours::kMaxHours);
    hours->setMinimumWidth(120);
    form->addRow(Tr(19302), hours);
    layout->addLayout(form);
    AddOkCancel(layout);
}
