// SPDX-License-Identifier: GPL-3.0-or-later
// A sea-water conductivity input: its fields are the sea-water conductivity row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPageCondS : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPageCondS() : CPropertyPageSensor(5) {}
};
