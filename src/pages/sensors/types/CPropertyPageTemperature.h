// SPDX-License-Identifier: GPL-3.0-or-later
// A temperature input: its fields are the temperature row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPageTemperature : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPageTemperature() : CPropertyPageSensor(1) {}
};
