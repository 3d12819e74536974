// SPDX-License-Identifier: GPL-3.0-or-later
// A oxygen input: its fields are the oxygen row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPageOxygen : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPageOxygen() : CPropertyPageSensor(9) {}
};
