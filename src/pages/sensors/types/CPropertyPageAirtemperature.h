// SPDX-License-Identifier: GPL-3.0-or-later
// A air temperature input: its fields are the air temperature row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPageAirtemperature : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPageAirtemperature() : CPropertyPageSensor(8) {}
};
