// SPDX-License-Identifier: GPL-3.0-or-later
// A timer's switching points (at most eight, kept sorted by start) with their point type,
// and the encodings of the timer's flags word and cycle reference.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "schedule/CSwitchtime.h"

class CTimer {
public:
    static constexpr int kMaxPoints = 8;
    // What a point's second value means.
    enum PointType { OnOff = 0, Pulse = 1, Instant = 2 };
    enum Result { Valid = 0, OrderError = 1, OverlapError = 2 };
    // Flags word bits.
    static constexpr uint32_t kModeMask = 0x03;
    static constexpr uint32_t kInstantBit = 0x20;
    static constexpr uint32_t kOptionBit = 0x40;
    static constexpr uint32_t kPulseBit = 0x80;
    // Pulse durations in seconds.
    static constexpr int kMinPulse = 1;
    static constexpr int kMaxPulse = 300;

    std::vector<CSwitchtime> points;
    uint8_t pointType = OnOff;

    int Count() const { return static_cast<int>(points.size()); }
    bool IsFull() const { return Count() >= kMaxPoints; }

    // Ascending by start; equal starts keep their order.
    void Sort();
    Result Validate() const;

    // --- flags word: mode 0 weekdays, 1 cycle; -1 when the bits hold neither --------------
    static int ModeOf(uint32_t flags);
    static int PointTypeOf(uint32_t flags);  // bit 5 wins over bit 7
    static bool OptionOf(uint32_t flags) { return flags & kOptionBit; }
    // A mode outside 0..1 keeps the mode bits of deviceFlags (a mode the page cannot show).
    static uint32_t Flags(int mode, int pointType, bool option, uint32_t deviceFlags = 0);

    // --- cycle reference: (day counter mod N) + offset; none for N < 1 ---------------------
    static std::optional<int64_t> CycleReference(int64_t dayCounter, int cycleLength, int offset);
    static int OffsetFromReference(int64_t reference, int64_t dayCounter, int cycleLength);
};
