// SPDX-License-Identifier: GPL-3.0-or-later
// The SMS module's alert entries in the user's order; the module has 30 slots.
#pragma once

#include <QList>

#include "alerts/CSMS.h"

class CSMSArray : public QList<CSMS> {
public:
    static constexpr int MaxEntries = 30;
    bool IsFull() const { return size() >= MaxEntries; }
};
