// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/CIlluminationRun.h"

#include <algorithm>

#include "schedule/CTimer.h"

int CIlluminationRun::Validate(int mode) const {
    const int n = Count();
    if (n == 0) return 0;
    if (mode == Switching) {
        // Switching points are start/end periods: the same order and overlap rules as a
        // timer's, so that on periods do not run into each other.
        CTimer timer;
        timer.pointType = CTimer::OnOff;
        for (const CIlluminationRunPoint& p : points) timer.points.push_back(p.time);
        switch (timer.Validate()) {
        case CTimer::OrderError: return 423;
        case CTimer::OverlapError: return 422;
        default: return 0;
        }
    }
    std::vector<double> t(n + 1);
    for (int i = 0; i < n; ++i) t[i] = points[i].time.start;
    t[n] = points[0].time.start;
    for (int j = 0; j < n; ++j)
        while (t[j] >= t[j + 1]) t[j + 1] += 1440;
    for (double v : t)
        if (v > 2879) return 363;
    for (int i = 0; i < n; ++i)
        if (t[i] + points[i].time.second >= t[i + 1]) return 364;
    return 0;
}

int CIlluminationRun::LevelAt(int mode, int minute) const {
    const int n = Count();
    if (n == 0) return 0;
    minute = ((minute % 1440) + 1440) % 1440;
    if (mode == Switching) {
        for (const CIlluminationRunPoint& p : points) {
            const int s = p.time.start, e = p.time.second % 1440;
            const bool on = s <= e ? minute >= s && minute < e : minute >= s || minute < e;
            if (on) return 100;
        }
        return 0;
    }
    // The point that started last before this minute (cyclically).
    int current = 0, best = 1440;
    for (int i = 0; i < n; ++i) {
        const int elapsed = (minute - points[i].time.start + 1440) % 1440;
        if (elapsed < best) {
            best = elapsed;
            current = i;
        }
    }
    const CIlluminationRunPoint& p = points[current];
    const int from = points[(current + n - 1) % n].intensity;
    const int ramp = std::max<int>(p.time.second, 1);
    if (n == 1 || best >= ramp) return p.intensity;
    return from + (int(p.intensity) - from) * best / ramp;
}
