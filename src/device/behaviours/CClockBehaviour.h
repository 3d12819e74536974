// SPDX-License-Identifier: GPL-3.0-or-later
// The device's clock: a time-of-day parameter (minutes after midnight) and optionally a date
// parameter (day number, 0 = 1 January 2000) that run, and that the user can set.
#pragma once

#include "device/CDeviceBehaviour.h"

class CDeviceClock;

class CClockBehaviour : public CDeviceBehaviour {
public:
    // The controller uses 170 and 171; the SMS module has only a time of day (2060).
    CClockBehaviour(CDeviceClock& clock, int timeParameter, int dateParameter);

    void Attach(CBusDevice& device) override;
    bool IsVolatile(int number) const override;

    // Day numbers up to the end of 2099: dates beyond are refused.
    static constexpr int kLastDay = 36524;

private:
    CDeviceClock& m_clock;
    int m_time;
    int m_date;
};
