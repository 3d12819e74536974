// SPDX-License-Identifier: GPL-3.0-or-later
// A redox input: its fields are the redox row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPageRedox : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPageRedox() : CPropertyPageSensor(3) {}
};
