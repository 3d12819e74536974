// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of a long operation, as the core sees it. The GUI shows a modeless
// dialog with a bar, the item text and a cancel button; the command-line tool draws a bar on
// the terminal. Closing happens at the latest when the object is destroyed.
#pragma once

#include <QString>

class CProgressWindow {
public:
    virtual ~CProgressWindow() = default;

    virtual void SetCaption(const QString& caption) = 0;
    // Range 0..n (n clamped to 0..65535), position 0.
    virtual void SetRange(int n) = 0;
    virtual void SetPos(int position) = 0;
    virtual int Pos() const = 0;
    void Step() { SetPos(Pos() + 1); }
    // The text under the bar: the name of the item being transferred.
    virtual void SetItemText(const QString& text) = 0;
    virtual void Close() = 0;
};
