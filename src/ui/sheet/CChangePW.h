// SPDX-License-Identifier: GPL-3.0-or-later
// The password dialog (template 146): the current password (disabled when the controller
// has none), the new one and the new one again, all 16-bit signed numbers. OK holds only
// when the current one matches and the two new ones agree (message 109 otherwise).
#pragma once

#include <QDialog>
#include <cstdint>

class CMyPropertySheet;
class QLineEdit;

class CChangePW : public QDialog {
    Q_OBJECT
public:
    enum { IdCurrent = 1000, IdNew = 1001, IdRepeat = 1002 };

    CChangePW(uint16_t currentPassword, QWidget* parent = nullptr);

    int16_t NewPassword() const { return m_new; }

    // The change-password command: asks in the dialog, writes parameter 489 (not in
    // simulation mode) and makes the new password the application's. A failed write shows
    // the page base's message and keeps the old password.
    static void ChangePassword(CMyPropertySheet& sheet);

private:
    void OnOk();
    bool TakeNumber(QLineEdit* edit, int16_t& out);

    uint16_t m_current;
    int16_t m_new = 0;
    QLineEdit* m_currentEdit = nullptr;
    QLineEdit* m_newEdit = nullptr;
    QLineEdit* m_repeatEdit = nullptr;
};
