// SPDX-License-Identifier: GPL-3.0-or-later
// One time point of a light run or a timer: a start (minutes after midnight) and a second
// value whose meaning the owner fixes (ramp minutes, end minute, pulse seconds or 0).
#pragma once

#include <cstdint>

struct CSwitchtime {
    uint16_t start = 0;
    uint16_t second = 0;
};
