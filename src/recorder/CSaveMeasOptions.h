// SPDX-License-Identifier: GPL-3.0-or-later
// How a recorder download is written: decimal separator, field separator, units in the
// header. The dialog that asks for them starts with every option at 1.
#pragma once

#include <QChar>

struct CSaveMeasOptions {
    int decimalSeparator = 1;  // 0 point, 1 comma
    int fieldSeparator = 1;    // 0 ';', 1 tab
    bool unitsInHeader = true;

    QChar Separator() const { return fieldSeparator == 1 ? QChar(u'\t') : QChar(u';'); }
    bool CommaDecimals() const { return decimalSeparator == 1; }
};
