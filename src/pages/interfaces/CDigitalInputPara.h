// SPDX-License-Identifier: GPL-3.0-or-later
// One digital input as the program keeps it: its function (the controller's byte) and the
// user's name for it.
#pragma once

#include <QString>
#include <cstdint>

struct CDigitalInputPara {
    uint8_t function = 0;
    QString name;
};
