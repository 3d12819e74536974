// SPDX-License-Identifier: GPL-3.0-or-later
// The alert-rule dialog (template 23171): recipients, subject, message text with its
// placeholders, the rule type and its time. OK takes the controls over only when the rule
// passes the checks of the alert code; otherwise it says why and stays open.
#pragma once

#include <QDialog>
#include <QStringList>

#include "alerts/CEmail.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

class CEditEmail : public QDialog {
    Q_OBJECT
public:
    enum {
        IdAddressBook = 1563,
        IdSubject = 1564,
        IdText = 1565,
        IdRecipients = 1566,
        IdInsert = 1575,
        IdPlaceholder = 1576,
        IdType = 1577,
        IdTime = 1578,
        IdTimeCaption = 1579,
    };

    explicit CEditEmail(const CEmail& rule, QWidget* parent = nullptr);

    // The rule as OK left it (runtime fields reset so the trigger test starts afresh).
    const CEmail& Rule() const { return m_rule; }

    // The placeholders of the insert list, in list order.
    static QStringList Placeholders();
    // The time picker's format for a rule type; empty when the type has no time.
    static QString TimeFormat(int type);

    // OK: checks the controls and takes them into the rule; false (with the message) when
    // the rule is refused.
    bool TakeOver();

private:
    void OnTypeChanged();
    void OnInsert();

    CEmail m_rule;
    QLineEdit* m_recipients = nullptr;
    QLineEdit* m_subject = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QComboBox* m_type = nullptr;
    QLabel* m_timeCaption = nullptr;
    QTimeEdit* m_time = nullptr;
    QComboBox* m_placeholder = nullptr;
};
