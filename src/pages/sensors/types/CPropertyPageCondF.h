// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh-water conductivity input: its fields are the fresh-water conductivity row of the sensor declarations.
#pragma once

#include "pages/sensors/CPropertyPageSensor.h"

class CPropertyPageCondF : public CPropertyPageSensor {
    Q_OBJECT
public:
    CPropertyPageCondF() : CPropertyPageSensor(4) {}
};
