// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/pumps/CEditCurrentPump.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"

CEditCurrentPump::CEditCurrentPump(const CurrentPumpRecord& pump, int number, QWidget* parent)
    : CFieldDialog(23169, parent), m_rec(pump) {
    setWindowTitle(Tr(366) + QLatin1Char(' ') + QString::number(number));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(Tr(303) + QLatin1Char(':'), BindCombo(IdMode, m_rec.mode, {Tr(297), Tr(298), Tr(400)}));
    const int captions[4] = {StringId(299), StringId(300), StringId(301), StringId(302)};
    double* levels[4] = {&m_rec.level1, &m_rec.level2, &m_rec.level3, &m_rec.level4};
    for (int k = 0; k < 4; ++k) {
        form->addRow(Tr(captions[k]) + QStringLiteral(" (%):"),
                     BindEditSpin(IdLevel1 + k, *levels[k], 1, 0, 100));
    }
    QLineEdit* name = BindLineEdit(IdName, m_rec.name);
    name->setMinimumWidth(220);
    form->addRow(Tr(291) + QLatin1Char(':'), name);
    layout->addLayout(form);
    AddOkCancel(layout);
}

bool CEditCurrentPump::Validate() {
    for (double* level : {&m_rec.level2, &m_rec.level3, &m_rec.level4})
        *level = std::max(*level, m_rec.level1);
    return true;
}
