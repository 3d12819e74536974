// SPDX-License-Identifier: GPL-3.0-or-later
// The password question of the connect sequence (dialog 147, number field 1003).
#pragma once

#include <QDialog>
#include <cstdint>

class QLineEdit;

class CLogin : public QDialog {
    Q_OBJECT
public:
    explicit CLogin(uint16_t expected, QWidget* parent = nullptr);

    int16_t Entered() const { return m_entered; }
    // The OK button: an invalid number keeps the dialog open; a wrong one shows message
    // 114 and ends it with Cancel, so a wrong password ends the connect attempt.
    void OnOk();

private:
    QLineEdit* m_edit;
    int16_t m_entered = 0;
    uint16_t m_expected;
};
