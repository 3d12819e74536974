// SPDX-License-Identifier: GPL-3.0-or-later
// A progress window as long operations in the core see it. The GUI's progress dialog and
// the command-line tool implement it; it closes when the object is destroyed.
#pragma once

#include <QString>

class CTransferProgress {
public:
    virtual ~CTransferProgress() = default;
    // Range 0..maximum (at most 65535), position 0.
    virtual void SetRange(int maximum) = 0;
    virtual void SetPos(int pos) = 0;
    virtual void SetCaption(const QString& caption) = 0;
    // The line under the bar.
    virtual void SetItemText(const QString& text) = 0;
};
