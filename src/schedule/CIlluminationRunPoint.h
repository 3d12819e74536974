// SPDX-License-Identifier: GPL-3.0-or-later
// One point of a light run: from time.start a ramp of time.second minutes towards intensity
// (dimming), or an on period from time.start to the end minute time.second (switching).
#pragma once

#include <cstdint>

#include "schedule/CSwitchtime.h"

struct CIlluminationRunPoint {
    CSwitchtime time{0, 5};
    uint8_t intensity = 0;
};
