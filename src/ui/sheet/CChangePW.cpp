// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CChangePW.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CKorvalisControlApp.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "ui/services/CMessageService.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/sheet/CMyPropertySheet.h"

namespace {
QLineEdit* NumberEdit(int id, QWidget* parent) {
    auto* e = new QLineEdit(QStringLiteral("0"), parent);
    e->setObjectName(QString::number(id));
    e->setEchoMode(QLineEdit::Password);
    e->setValidator(new QIntValidator(-32768, 32767, e));
    e->setMinimumWidth(140);
    return e;
}
}  // namespace

CChangePW::CChangePW(uint16_t currentPassword, QWidget* parent)
    : QDialog(parent), m_current(currentPassword) {
    setObjectName(QStringLiteral("146"));
    setWindowTitle(Tr(14601));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_currentEdit = NumberEdit(IdCurrent, this);
    m_newEdit = NumberEdit(IdNew, this);
    m_repeatEdit = NumberEdit(IdRepeat, this);
    // Without a password there is nothing to confirm: the field stays at 0.
    m_currentEdit->setEnabled(currentPassword != 0);
    form->addRow(Tr(14602), m_currentEdit);
    form->addRow(Tr(14603), m_newEdit);
    form->addRow(Tr(14604), m_repeatEdit);
    layout->addLayout(form);
    auto* hint = new QLabel(Tr(14605), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Tr(31121), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("1"));
    buttons->addButton(Tr(31122), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("2"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CChangePW::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    (currentPassword != 0 ? m_currentEdit : m_newEdit)->setFocus();
    (currentPassword != 0 ? m_currentEdit : m_newEdit)->selectAll();
}

bool CChangePW::TakeNumber(QLineEdit* edit, int16_t& out) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (!ok || value < -32768 || value > 32767) {
        CMessageService::ShowMessage(31115, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::Ok, {}, this);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    out = static_cast<int16_t>(value);
    return true;
}

void CChangePW::OnOk() {
    int16_t current = 0;
    int16_t first = 0;
    int16_t second = 0;
    if ((m_currentEdit->isEnabled() && !TakeNumber(m_currentEdit, current)) ||
        !TakeNumber(m_newEdit, first) || !TakeNumber(m_repeatEdit, second))
        return;
    if (static_cast<uint16_t>(current) != m_current || first != second) {
        CMessageService::ShowMessage(109, CMessageService::Icon::Stop, CMessageService::Buttons::Ok,
                                     {}, this);
        return;
    }
    m_new = first;
    accept();
}

void CChangePW::ChangePassword(CMyPropertySheet& sheet) {
    CKorvalisControlApp& app = CKorvalisControlApp::Instance();
    if (!app.IsConnected() && !app.simulationMode) return;
    CTimerStop timerStop;
    CChangePW dialog(static_cast<uint16_t>(app.password), &sheet);
    if (dialog.exec() != QDialog::Accepted) return;
    const int16_t password = dialog.NewPassword();
    // The controller must have taken it before the program believes it: otherwise the next
    // connect would ask for a password the controller does not know.
    if (!app.simulationMode && sheet.WriteParam(489, password) != 0) return;
    app.password = password;
}

namespace {
// Command 40006 in the controller menu: while connected, or in simulation mode.
const CMyPropertySheet::CommandRegistrar g_changePassword([] {
    CMyPropertySheet::Command c;
    c.id = 40006;
    c.menu = CMyPropertySheet::MenuController;
    c.order = 35;
    c.textId = StringId(32675);
    c.enabled = [](CMyPropertySheet&) {
        const CKorvalisControlApp& app = CMyPropertySheet::App();
        return app.IsConnected() || app.simulationMode;
    };
    c.run = [](CMyPropertySheet& sheet) { CChangePW::ChangePassword(sheet); };
    return c;
}());
}  // namespace
