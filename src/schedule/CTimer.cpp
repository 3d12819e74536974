// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/CTimer.h"

#include <utility>

void CTimer::Sort() {
    // Bubble sort swapping only strictly greater neighbours: stable, as the controller's
    // own list handling expects.
    const int n = Count();
    for (int pass = 0; pass + 1 < n; ++pass)
        for (int i = 0; i + 1 < n - pass; ++i)
            if (points[i].start > points[i + 1].start) std::swap(points[i], points[i + 1]);
}

CTimer::Result CTimer::Validate() const {
    const int n = Count();
    if (n == 0) return Valid;
    std::vector<double> t(n + 1);
    for (int i = 0; i < n; ++i) t[i] = points[i].start;
    t[n] = points[0].start;
    for (int j = 0; j < n; ++j)
        while (t[j + 1] <= t[j]) t[j + 1] += 1440;
    for (double v : t)
        if (v >= 2880) return OrderError;
    // A lone point has no other point to run into, even as a 24-hour period.
    if (pointType == Instant || n == 1) return Valid;
    for (int i = 0; i < n; ++i) {
        const CSwitchtime& p = points[i];
        double d;
        if (pointType == Pulse)
            d = p.second / 60.0;
        else
            d = p.second > p.start ? p.second - p.start : p.second - p.start + 1440.0;
        if (t[i + 1] <= t[i] + d) return OverlapError;
    }
    return Valid;
}

int CTimer::ModeOf(uint32_t flags) {
    const int bits = static_cast<int>(flags & kModeMask);
    return bits == 1 || bits == 2 ? bits - 1 : -1;
}

int CTimer::PointTypeOf(uint32_t flags) {
    if (flags & kInstantBit) return Instant;
    if (flags & kPulseBit) return Pulse;
    return OnOff;
}

uint32_t CTimer::Flags(int mode, int type, bool option, uint32_t deviceFlags) {
    uint32_t v = mode == 0 || mode == 1 ? uint32_t(mode + 1) : (deviceFlags & kModeMask);
    if (type == Pulse) v |= kPulseBit;
    if (type == Instant) v |= kInstantBit;
    if (option) v |= kOptionBit;
    return v;
}

std::optional<int64_t> CTimer::CycleReference(int64_t dayCounter, int cycleLength, int offset) {
    if (cycleLength < 1) return std::nullopt;
    return dayCounter % cycleLength + offset;
}

int CTimer::OffsetFromReference(int64_t reference, int64_t dayCounter, int cycleLength) {
    if (cycleLength < 1) return 0;
    return static_cast<int>(reference - dayCounter % cycleLength);
}
