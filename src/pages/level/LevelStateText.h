// SPDX-License-Identifier: GPL-3.0-or-later
// The level function's state number as text: 0..2 have their strings (360..362); any other
// number the controller reports is shown neutrally with the number.
#pragma once

#include <QString>

namespace LevelStateText {
QString Text(int state);
}
