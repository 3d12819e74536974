// SPDX-License-Identifier: GPL-3.0-or-later
// One record of a measured-value file: when it was taken and up to eight values.
#pragma once

#include <QDateTime>
#include <QtGlobal>
#include <array>
#include <cmath>

class CMeasuredValue {
public:
    static constexpr int kMaxValues = 8;

    CMeasuredValue() { values.fill(0.0); }

    // A value the record does not carry (an empty or short line) is NaN, never 0, so a
    // chart leaves it out instead of drawing a drop to zero.
    bool HasValue(int k) const { return k >= 0 && k < kMaxValues && !std::isnan(values[k]); }
    static double Missing() { return std::nan(""); }

    // The wall-clock time as written in the file. It is kept with the UTC time spec so that
    // daylight-saving changes neither shift nor reorder the records.
    QDateTime timeStamp;
    std::array<double, kMaxValues> values;
};

Q_DECLARE_TYPEINFO(CMeasuredValue, Q_RELOCATABLE_TYPE);
