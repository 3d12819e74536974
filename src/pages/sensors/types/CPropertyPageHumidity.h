// SPDX-License-Identifier: GPL-3.0-or-later
// A humidity input: its fields are the humidity row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPageHumidity : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPageHumidity() : CPropertyPageSensor(7) {}
};
