// SPDX-License-Identifier: GPL-3.0-or-later
// A pH input: its fields are the pH row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPagepHValue : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPagepHValue() : CPropertyPageSensor(2) {}
};
