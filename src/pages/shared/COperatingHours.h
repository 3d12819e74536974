// SPDX-License-Identifier: GPL-3.0-or-later
// An operating-time counter kept in minutes on the controller and shown in hours: its reset
// (after a Yes to question 123) and its setting (hours entered in CSetOHM). Both run with the
// refresh stopped and re-read the page only after a successful write; a page with unsent
// changes first asks whether they may be discarded (message 169) and, if not, shows only the
// counter anew. Used by every page with such a counter (sensor inputs, lamps).
#pragma once

#include <cstdint>
#include <functional>

class CMyPropertyPage;

class COperatingHours {
public:
    // What a 32-bit minute count can hold, in whole hours.
    static constexpr double kMaxHours = 71582788.0;

    // Minutes -> hours with two decimals (truncated).
    static double HoursOf(double minutes);
    // Hours -> the minute count written, limited to 0 .. kMaxHours.
    static int64_t MinutesOf(double hours);

    // Re-reads only the counter and shows it, leaving the page's other values as they are.
    using ShowCounter = std::function<void()>;

    // True when the counter was written (and the page or its counter re-read).
    static bool Reset(CMyPropertyPage& page, int number, const ShowCounter& showCounter);
    static bool Set(CMyPropertyPage& page, int number, const ShowCounter& showCounter);

private:
    static void Reread(CMyPropertyPage& page, const ShowCounter& showCounter);
};
