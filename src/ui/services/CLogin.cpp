// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/services/CLogin.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "ui/services/CMessageService.h"

CLogin::CLogin(uint16_t expected, QWidget* parent) : QDialog(parent), m_expected(expected) {
    setObjectName(QStringLiteral("147"));
    setWindowTitle(Tr(14701));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(Tr(14702), this);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_edit = new QLineEdit(QStringLiteral("0"), this);
    m_edit->setObjectName(QStringLiteral("1003"));
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->selectAll();
    layout->addWidget(m_edit);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Tr(31121), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("1"));
    buttons->addButton(Tr(31122), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("2"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLogin::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(320);
}

void CLogin::OnOk() {
    bool ok = false;
    const int value = m_edit->text().trimmed().toInt(&ok);
    if (!ok || value < -32768 || value > 32767) {
        CMessageService::ShowMessage(31115, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::Ok, {}, this);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    m_entered = static_cast<int16_t>(value);
    // The controller keeps a 32-bit value but the field holds 16 bits: compare those.
    if (static_cast<uint16_t>(m_entered) == m_expected) {
        accept();
        return;
    }
    CMessageService::ShowMessage(114, CMessageService::Icon::Stop, CMessageService::Buttons::Ok, {},
                                 this);
    reject();
}
