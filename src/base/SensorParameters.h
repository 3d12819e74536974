// SPDX-License-Identifier: GPL-3.0-or-later
// Where a sensor input's parameters live. Each input i owns twenty numbers in the first
// block (20i+10 .. 20i+29) and four in each later block (948+4i .., 1000+4i .., 1228+i is a
// text of its own). A setting is named by its number for input 0: 15 is the setpoint, 950
// the fourth value of the second block, 1002 the operating time.
#pragma once

#include <cstdint>

namespace SensorParameters {
constexpr int kInputs = 8;

// The number of setting k (as for input 0) of input i: 20i+k for k 10..29, k+4i otherwise.
constexpr int Number(int input, int k) {
    return (k >= 10 && k <= 29) ? 20 * input + k : k + 4 * input;
}

// Well-known settings, as for input 0.
enum : int {
    Type = 25,
    DisplayMode = 27,
    Setpoint = 15,
    DensityCorrection = 950,
    Value = 1000,
    OperatingTime = 1002,
};

// The two blocks of all eight inputs together: 10 .. 169 and 948 .. 979.
constexpr bool IsBlockNumber(int n) {
    return (n >= Number(0, 10) && n <= Number(kInputs - 1, 29)) ||
           (n >= 948 && n <= Number(kInputs - 1, 951));
}
// 1002, 1006, .. 1030: an input's operating time.
constexpr bool IsOperatingTime(int n) {
    return n >= OperatingTime && n <= Number(kInputs - 1, OperatingTime) &&
           (n - OperatingTime) % 4 == 0;
}
}  // namespace SensorParameters
