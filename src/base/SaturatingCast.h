// SPDX-License-Identifier: GPL-3.0-or-later
// A double from a device or a file as a narrower integer type. Converting a double the
// target cannot hold is undefined behaviour, and device and file values are untrusted:
// NaN gives 0, values beyond the type's range its nearest limit, the rest truncate
// toward zero.
#pragma once

#include <cmath>
#include <limits>
#include <type_traits>

template <class T>
constexpr T SaturatingCast(double value) {
    static_assert(std::is_integral_v<T>, "integer targets only");
    if (std::isnan(value)) return 0;
    // The limits as doubles: exact for the minimum; the maximum of a 64-bit type rounds up
    // to 2^63, so >= keeps every value that is converted below that.
    if (value <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (value >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(value);
}
