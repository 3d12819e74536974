// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's four reminders: each with its due day (65535 = off), an option, an
// interval in days and a text of 16 characters in eight words, and the due indicator for a
// reminder that is due on the controller's current date (171).
#pragma once

#include <QByteArray>
#include <QString>
#include <array>

#include "ui/page/CMyPropertyPage.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;

class CPropertyPageMemories : public CMyPropertyPage {
    Q_OBJECT
public:
    static constexpr int kReminders = 4;
    static constexpr int kToday = 171;
    static constexpr int kOff = 65535;
    static constexpr int kTextLength = 16;
    // Control identifiers of reminder m: Id... + 10 m.
    enum Id { IdOn = 1901, IdOption = 1902, IdInterval = 1903, IdText = 1904, IdDue = 1905, IdIndicator = 1906 };
    static int Base(int m) { return 440 + 12 * m; }
    static int ControlId(int id, int m) { return id + 10 * m; }

    CPropertyPageMemories();

    // The eight words of a text, low byte first, blank-padded or cut to 16 characters.
    static std::array<uint16_t, 8> TextWords(const QString& text);
    // The text the words hold, for showing: trailing blanks dropped, bytes that are control
    // characters shown as '?' (NUL as blank).
    static QString WordsText(const std::array<uint16_t, 8>& words);
    // Umlauts and sharp s spelt out, cut to 16 characters.
    static QString Spelt(const QString& text);

    bool IsOn(int m) const;
    bool IsDue(int m) const;
    int Today() const;

protected:
    void DeclareFields() override;
    void CreateControls() override;
    bool WriteValues() override;
    void OnValueEdited(int key) override;
    void UpdateControlStates() override;

private:
    static int TextKey(int m) { return -(Base(m) + 3); }
    void ShowDue(int m);

    struct Row {
        QCheckBox* on = nullptr;
        QLineEdit* text = nullptr;
        QDateEdit* due = nullptr;
        QLabel* indicator = nullptr;
    };
    std::array<Row, kReminders> m_rows{};
};
