// SPDX-License-Identifier: GPL-3.0-or-later
// A voltage input: its fields are the voltage row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPageVoltage : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPageVoltage() : CPropertyPageSensor(10) {}
};
