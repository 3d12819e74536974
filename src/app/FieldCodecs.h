// SPDX-License-Identifier: GPL-3.0-or-later
// How the controller packs page values into its parameter integers. Pure functions, so the
// page layer, the command-line tool and the tests share one definition of each encoding.
#pragma once

#include <cstdint>

namespace FieldCodecs {
// --- bit fields ----------------------------------------------------------------------------
constexpr uint32_t Mask(int width) {
    return width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u);
}
// width bits of raw from bit shift on.
constexpr uint32_t GetBits(uint32_t raw, int shift, int width) {
    return (raw >> shift) & Mask(width);
}
// raw with width bits from bit shift on replaced by value (cut to width).
constexpr uint32_t SetBits(uint32_t raw, int shift, int width, uint32_t value) {
    return (raw & ~(Mask(width) << shift)) | ((value & Mask(width)) << shift);
}
// Nibble n (0 = lowest) and byte n of a value.
constexpr uint32_t Nibble(uint32_t raw, int n) { return GetBits(raw, 4 * n, 4); }
constexpr uint32_t Byte(uint32_t raw, int n) { return GetBits(raw, 8 * n, 8); }

// --- lists ---------------------------------------------------------------------------------
// A list index stored with an offset (1 for "index + 1"); -1 when the stored value names no
// entry of a list of count entries, so an untrusted value never selects outside the list.
int IndexFromDevice(int64_t raw, int offset, int count);
constexpr int64_t IndexToDevice(int index, int offset) { return int64_t(index) + offset; }

// --- sign and hemisphere -------------------------------------------------------------------
// A signed device value shown as its magnitude and a side (0 = positive: north or east,
// 1 = negative: south or west).
struct SignedMagnitude {
    int64_t magnitude;
    int side;
};
SignedMagnitude SplitSign(int64_t signedRaw);
int64_t JoinSign(int64_t magnitude, int side);

// --- sensor mode selections ----------------------------------------------------------------
// Three-way selection in bits 0 and 2 (0 -> 0, 1 -> 1, 2 -> 5) and a flag in bit 1.
int ThreeWayFromDevice(uint32_t raw);
uint32_t ThreeWayToDevice(int selection, bool flag);
// Five-way selection in bits 0-2 and a flag in bit 3.
constexpr int FiveWayFromDevice(uint32_t raw) { return int(GetBits(raw, 0, 3)); }
constexpr uint32_t FiveWayToDevice(int selection, bool flag) {
    return (uint32_t(selection) & 7u) | (flag ? 8u : 0u);
}

// --- times ---------------------------------------------------------------------------------
// Minutes as hours with two decimals (truncated), and back to whole minutes.
double MinutesToHours(double minutes);
int64_t HoursToMinutes(double hours);
}  // namespace FieldCodecs
