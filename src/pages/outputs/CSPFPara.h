// SPDX-License-Identifier: GPL-3.0-or-later
// One socket as the program keeps it: its function word and the user's name for it.
#pragma once

#include <QString>
#include <cstdint>

struct CSPFPara {
    uint16_t function = 0;
    QString name;
};
