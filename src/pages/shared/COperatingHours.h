// SPDX-License-Identifier: GPL-3.0-or-later
// An operating-time counter kept in minutes on the controller and shown in hours: its reset
// (after a Yes to question 123) and its setting (hours entered in CSetOHM). Both run with the
// refresh stopped and re-read the page only after a successful write. Used by every page
// with such a counter (sensor inputs, lamps).
#pragma once

#include <cstdint>

class CMyPropertyPage;

class COperatingHours {
public:
    // What a 32-bit minute count can hold, in whole hours.
    static constexpr double kMaxHours = 71582788.0;

    // Minutes -> hours with two decimals (truncated).
    static double HoursOf(double minutes);
    // Hours -> the minute count written, limited to 0 .. kMaxHours.
    static int64_t MinutesOf(double hours);

    // True when the counter was written (and the page re-read).
    static bool Reset(CMyPropertyPage& page, int number);
    static bool Set(CMyPropertyPage& page, int number);
};
