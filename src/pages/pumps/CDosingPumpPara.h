// SPDX-License-Identifier: GPL-3.0-or-later
// One dosing pump: three numbers and the user's name for it.
#pragma once

#include <QString>

class CDosingPumpPara {
public:
    virtual ~CDosingPumpPara() = default;

    double valueA = 1;  // 1..250
    double valueB = 1;  // 1..1000
    double valueC = 0;  // 0..24
    QString name;
};
