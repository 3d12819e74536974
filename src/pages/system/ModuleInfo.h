// SPDX-License-Identifier: GPL-3.0-or-later
// The expansion modules a controller can report (parameter 1157 + k), looked up by module
// code: the sensor types of its two sensor slots, two counts and its name.
#pragma once

#include <cstdint>

struct ModuleInfo {
    uint8_t code;
    uint8_t sensorTypes[2];  // sensor-type codes, 0 = none
    uint8_t count160;        // shown under string 160
    uint8_t count290;        // shown under string 290
    const char* name;

    // The row of a module code, or nullptr for a code the table does not know.
    static const ModuleInfo* Find(int code);
    static constexpr int WlanCode = 2;
    static constexpr int LanCode = 3;
};
