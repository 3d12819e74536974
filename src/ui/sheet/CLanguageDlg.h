// SPDX-License-Identifier: GPL-3.0-or-later
// The language question (template 221): German, English or the alternative language.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QButtonGroup;

class CLanguageDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLanguageDlg(int language, QWidget* parent = nullptr);
    int Language() const;

    // Asks for a language; nullopt when cancelled. Tests install a handler instead.
    static std::optional<int> Ask(int current, QWidget* parent = nullptr);
    using Handler = std::function<std::optional<int>(int current)>;
    static void SetHandler(Handler handler);

private:
    QButtonGroup* m_group;
};
