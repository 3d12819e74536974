// SPDX-License-Identifier: GPL-3.0-or-later
// One current pump: four percentage levels, a mode and the user's name for it.
#pragma once

#include <QString>

struct CurrentPumpRecord {
    double level3 = 0;
    double level4 = 0;
    int mode = 0;  // 0..2; an untrusted value outside shows no selection
    double level1 = 0;
    double level2 = 0;
    QString name;
};
