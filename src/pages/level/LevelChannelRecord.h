// SPDX-License-Identifier: GPL-3.0-or-later
// One level channel of the newer level page, and how its flags word is packed.
#pragma once

#include <QString>
#include <cstdint>

#include "app/FieldCodecs.h"

struct LevelChannelRecord {
    double delay = 0;    // seconds, 0..240
    int time = 0;        // seconds, 0..8 hours
    uint32_t flags = 0;  // bits 0-2 mode, bit 3 option off, bits 4-6 count - 1,
                         // bits 8-10 (first channel) the page-wide number - 1
    QString name;

    int Mode() const { return int(FieldCodecs::GetBits(flags, 0, 3)); }
    void SetMode(int mode) { flags = FieldCodecs::SetBits(flags, 0, 3, uint32_t(mode)); }
    int Count() const { return int(FieldCodecs::GetBits(flags, 4, 3)) + 1; }
    bool Option() const { return !(flags & 8u); }

    // Modes 2, 3, 5 and 6 use the first two channels together.
    static bool IsTwoChannelMode(int mode) { return mode == 2 || mode == 3 || mode == 5 || mode == 6; }
    // The mode's name (strings 405 .. 410, 440, 466).
    static QString ModeName(int mode);
};
