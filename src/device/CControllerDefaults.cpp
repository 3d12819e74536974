// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CControllerDefaults.h"

#include "app/SensorTypeInfo.h"
#include "device/CBusDevice.h"
#include "device/CLiveValuesBehaviour.h"

int CControllerDefaults::Setpoint(int type)
{
    switch (type) {
    case SensorTypeInfo::Temperature: return 250;     // 25.0 degrees
    case SensorTypeInfo::PH: return 720;              // 7.20
    case SensorTypeInfo::Redox: return 300;           // mV
    case SensorTypeInfo::CondFresh: return 600;       // uS
    case SensorTypeInfo::CondSea: return 530;         // 53.0 mS
    case SensorTypeInfo::Humidity: return 700;        // 70.0 %
    case SensorTypeInfo::AirTemperature: return 240;  // 24.0 degrees
    case SensorTypeInfo::Oxygen: return 950;          // 95.0 %
    case SensorTypeInfo::Voltage: return 500;         // 5.00 V
    default: return 0;
    }
}

void CControllerDefaults::Apply(CBusDevice& device)
{
    const auto fill = [&device](int number, int64_t value) {
        if (!device.Has(number))
            device.SetValue(number, value);
    };
    for (int i = 0; i < 8; ++i) {
        const int type = static_cast<int>(device.Value(CLiveValuesBehaviour::TypeParameter(i)) & 0xFF);
        fill(CLiveValuesBehaviour::SetpointParameter(i), Setpoint(type));
        fill(CLiveValuesBehaviour::OperatingTimeParameter(i), 1200 * 60 + 97 * i);
    }
    fill(177, 482);  // 48.2 degrees north
    fill(178, 116);  // 11.6 degrees east
}
