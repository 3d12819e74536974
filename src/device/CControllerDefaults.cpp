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
    ApplyLogicFunctions(device);
}

void CControllerDefaults::ApplyLogicFunctions(CBusDevice& device)
{
    // Only a device that still holds the list's copies (timer 1 AND channel 1) for all eight.
    for (int k = 0; k < 8; ++k)
        if (device.Value(912 + 3 * k) != 0x0001 || device.Value(913 + 3 * k) != 0)
            return;
    struct Logic { int inputs, function, time; };
    static const Logic logic[8] = {
        {0x0001, 0, 60},            // timer 1 AND illumination 1
        {0x2021, 1, 60},            // timer 2 OR illumination 2
        {0x0025, 7, 90},            // alarm of input 2, switch-on delay 90 s
        {0x0009, 4, 60},            // NOT logic output 1
        {0x6141, 11, 60},           // flip-flop: set timer 3, reset timer 4
        {0x0001, 9 | 0x40, 300},    // pulse of 300 s on inverted timer 1
        {0x2202, 2 | 0x80, 60},     // pH input XOR inverted timer 2
        {0x0018, 8, 1800},          // switch-off delay of maintenance, 30 min
    };
    for (int k = 0; k < 8; ++k) {
        device.SetValue(912 + 3 * k, logic[k].inputs);
        device.SetValue(913 + 3 * k, logic[k].function);
        device.SetValue(914 + 3 * k, logic[k].time);
    }
}
