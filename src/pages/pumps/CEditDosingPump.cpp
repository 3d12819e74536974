// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/pumps/CEditDosingPump.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"

CEditDosingPump::CEditDosingPump(const CDosingPumpPara& pump, int number, QWidget* parent)
    : CFieldDialog(23159, parent), m_rec(pump) {
    setWindowTitle(Tr(275) + QLatin1Char(' ') + QString::number(number));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(Tr(277) + QLatin1Char(':'), BindEditSpin(IdValueA, m_rec.valueA, 1, 1, 250));
    form->addRow(Tr(278) + QLatin1Char(':'), BindEditSpin(IdValueB, m_rec.valueB, 1, 1, 1000));
    form->addRow(Tr(279) + QLatin1Char(':'), BindEditSpin(IdValueC, m_rec.valueC, 1, 0, 24));
    QLineEdit* name = BindLineEdit(IdName, m_rec.name);
    name->setMinimumWidth(220);
    form->addRow(Tr(291) + QLatin1Char(':'), name);
    layout->addLayout(form);
    AddOkCancel(layout);
}
