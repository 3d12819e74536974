// SPDX-License-Identifier: GPL-3.0-or-later
// A channel's light run: at most eight points in the user's order (never sorted; the order
// is the controller's), with the checks the controller relies on before a run is sent.
#pragma once

#include <vector>

#include "schedule/CIlluminationRunPoint.h"

class CIlluminationRun {
public:
    static constexpr int kMaxPoints = 8;
    enum Mode { Dimming = 0, Switching = 1 };
    // Ramp limits of the point editor.
    static constexpr int kMinRamp = 5;
    static constexpr int kMaxRamp = 480;

    std::vector<CIlluminationRunPoint> points;

    int Count() const { return static_cast<int>(points.size()); }
    bool IsFull() const { return Count() >= kMaxPoints; }

    // 0 when the run is valid for the mode, else the message to show: 363 points not in
    // order within one day, 364 a ramp reaching the next point (dimming); 423 not in order,
    // 422 overlapping on periods (switching, the timer's check of start/end periods).
    int Validate(int mode) const;

    // The level (percent) the run gives at a minute of the day: switching points are 100 %
    // within their on period; dimming ramps linearly from the previous point's intensity
    // and holds the target until the next point (a single point holds its intensity).
    int LevelAt(int mode, int minute) const;
};
