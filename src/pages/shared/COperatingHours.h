// SPDX-License-Identifier: GPL-3.0-or-later
// The reset and set buttons of an operating-time counter (minutes in the controller, hours
// on the page): reset asks first, set asks for the hours; after a successful write the page
// reads itself again. Lamp pages and sensor pages share it.
#pragma once

class CMyPropertyPage;

class COperatingHours {
public:
    // The counter in minutes as the page shows it: hours with two decimals, truncated.
    static double HoursFromMinutes(double minutes);
    // True when the counter was written (the page has been read again).
    static bool Reset(CMyPropertyPage& page, int number);
    static bool Set(CMyPropertyPage& page, int number);
};
