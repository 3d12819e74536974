// SPDX-License-Identifier: GPL-3.0-or-later
// One field of a CSV line. Texts come from devices and files, so a text a spreadsheet would
// take for a formula (a leading =, +, - or @) is kept as text; a negative number stays a
// number.
#pragma once

#include <QString>

class CCsvField {
public:
    // Quoted when a separator, quote or line break needs it, or always when asked.
    static QString Text(const QString& text, bool alwaysQuoted = false);
};
