// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sms/CEnterPUK.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "lang/CLanguage.h"

CEnterPUK::CEnterPUK(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("274"));
    setWindowTitle(Tr(42640));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QString::number(IdPuk));
    // A PUK is eight digits; the parameter holds at most 32 bits.
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_edit));
    auto* form = new QFormLayout;
    form->addRow(Tr(42641), m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Tr(31121));
    buttons->button(QDialogButtonBox::Cancel)->setText(Tr(31122));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

int CEnterPUK::Puk() const { return m_edit->text().toInt(); }
