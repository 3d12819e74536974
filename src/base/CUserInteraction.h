// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the core needs to ask or tell the user. The GUI, the command-line tool and the
// tests each implement it; nothing below the user interface includes a widget header.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class CUserInteraction {
public:
    enum class Icon { Stop, Warning, Question, Information };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore };
    // The button pressed.
    enum Answer { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

    virtual ~CUserInteraction() = default;

    // A message box with the catalogue's string id, %1.. replaced by args.
    virtual int ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args = {}) = 0;
    // A message whose text the caller already has (plain-words system errors).
    virtual int ShowText(const QString& text, Icon icon, Buttons buttons) = 0;
    // The login dialog: true when the user typed the expected number (16 bits compared).
    virtual bool Login(uint16_t expected) = 0;

    // The main window's progress indicator, stepped by single-parameter transfers.
    virtual void SetProgressRange(int maximum) {}
    virtual void SetProgressPos(int pos) {}
    virtual int GetProgressPos() const { return 0; }
    // The main window's title.
    virtual void SetTitle(const QString& title) {}
    // Lets the window repaint and the cancel button work during long transfers.
    virtual void PumpPendingMessages() {}
};
