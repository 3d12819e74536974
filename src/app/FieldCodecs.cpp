// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FieldCodecs.h"

#include <cmath>

namespace FieldCodecs {
namespace {
// value x 100 truncated, after removing binary representation error (8.29 x 100 = 828.99..).
double Hundredths(double value) {
    return std::trunc(std::round(value * 100.0 * 1e6) / 1e6);
}
}  // namespace

int IndexFromDevice(int64_t raw, int offset, int count) {
    const int64_t index = raw - offset;
    return index >= 0 && index < count ? int(index) : -1;
}

SignedMagnitude SplitSign(int64_t signedRaw) {
    return signedRaw < 0 ? SignedMagnitude{-signedRaw, 1} : SignedMagnitude{signedRaw, 0};
}

int64_t JoinSign(int64_t magnitude, int side) {
    const int64_t m = magnitude < 0 ? -magnitude : magnitude;
    return side == 1 ? -m : m;
}

int ThreeWayFromDevice(uint32_t raw) {
    if ((raw & 1u) == 0) return 0;
    return (raw & 4u) ? 2 : 1;
}

uint32_t ThreeWayToDevice(int selection, bool flag) {
    const uint32_t bits = selection == 1 ? 1u : selection == 2 ? 5u : 0u;
    return bits | (flag ? 2u : 0u);
}

double MinutesToHours(double minutes) {
    if (!std::isfinite(minutes)) return 0;
    return Hundredths(minutes / 60.0) / 100.0;
}

int64_t HoursToMinutes(double hours) {
    if (!std::isfinite(hours)) return 0;
    return int64_t(std::trunc(std::round(hours * 60.0 * 1e6) / 1e6));
}
}  // namespace FieldCodecs
