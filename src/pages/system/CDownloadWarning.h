// SPDX-License-Identifier: GPL-3.0-or-later
// The warning shown before a firmware transfer (template 202): the warning text, a check box
// the user ticks to confirm having read it, and OK, which is enabled only while it is ticked.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QPushButton;
class QTextEdit;

class CDownloadWarning : public QDialog {
    Q_OBJECT
public:
    enum ControlId { IdText = 1306, IdConfirm = 1305 };

    explicit CDownloadWarning(QWidget* parent = nullptr);

    // Shows the dialog modally; true when the user confirmed the warning and pressed OK.
    static bool Ask(QWidget* parent);
    // The test seam: while a handler is installed it answers instead of the dialog.
    static void SetHandler(std::function<bool()> handler);

    QTextEdit* Text() const { return m_text; }
    QCheckBox* Confirm() const { return m_confirm; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QTextEdit* m_text = nullptr;
    QCheckBox* m_confirm = nullptr;
    QPushButton* m_ok = nullptr;
};
