// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CControllerDefaults.h"

#include "base/ModelInfo.h"
#include "base/SensorTypeInfo.h"
#include "device/CBusDevice.h"
#include "device/CLiveValuesBehaviour.h"

#include <vector>

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
    ApplyLightsAndTimers(device);
    ApplyLogicFunctions(device);
}

void CControllerDefaults::ApplyLightsAndTimers(CBusDevice& device)
{
    const ModelInfo* model = ModelInfo::Find(device.ProductCode());
    if (!model)
        return;
    struct Point { int start, second, level; };
    struct Channel { int mode; std::vector<Point> run; };
    // Start minute, ramp minutes (dimming) or end minute (switching), intensity.
    const std::vector<Channel> channels = {
        {0, {{8 * 60, 90, 60}, {11 * 60, 60, 100}, {14 * 60 + 30, 60, 70}, {19 * 60, 120, 0}}},
        {0, {{7 * 60 + 30, 60, 40}, {12 * 60, 45, 80}, {20 * 60, 150, 0}}},
        {1, {{10 * 60, 12 * 60, 0}, {16 * 60, 21 * 60 + 30, 0}}},
        {0, {{21 * 60, 30, 5}, {23 * 60 + 30, 60, 0}}},
    };
    for (int k = 0; k < model->illuminationChannels; ++k) {
        const Channel& c = channels[k % channels.size()];
        const int block = 180 + 32 * k;
        const int shift = 15 * (k / int(channels.size()));  // later channels a little later
        device.SetValue(block + 1, int64_t(c.run.size()));
        for (int i = 0; i < int(c.run.size()); ++i) {
            const Point& p = c.run[i];
            device.SetValue(block + 2 + 3 * i, (p.start + shift) % 1440);
            device.SetValue(block + 3 + 3 * i, c.mode == 1 ? (p.second + shift) % 1440 : p.second);
            device.SetValue(block + 4 + 3 * i, p.level);
        }
        device.SetValue(block + 26, 100);
        device.SetValue(block + 27, c.mode);
        device.SetValue(1033 + 2 * k, 2150 * 60 + 1234 * k);
    }
    // Variable illumination (firmware 405 on): a few selections per row.
    for (int r = 0; r < 4 && device.Has(715); ++r) {
        const uint32_t row = 0x1234567u >> (4 * r);
        device.SetValue(715 + 2 * r, row & 0xFFFF);
        device.SetValue(716 + 2 * r, row >> 16);
    }
    for (int k = 0; k < model->timers; ++k) {
        const int base = 500 + 20 * k;
        switch (k % 3) {
        case 0:  // weekdays Monday to Friday, on/off periods
            device.SetValue(base, 1);
            device.SetValue(base + 3, 0x1F);
            device.SetValue(base + 1, 2);
            device.SetValue(base + 4, 7 * 60);
            device.SetValue(base + 5, 8 * 60 + 30);
            device.SetValue(base + 6, 18 * 60);
            device.SetValue(base + 7, 22 * 60);
            break;
        case 1:  // every third day, pulses
            device.SetValue(base, 2 | 0x80);
            device.SetValue(base + 3, 3);
            device.SetValue(base + 2, 1);
            device.SetValue(base + 1, 2);
            device.SetValue(base + 4, 6 * 60);
            device.SetValue(base + 5, 60);
            device.SetValue(base + 6, 18 * 60);
            device.SetValue(base + 7, 120);
            break;
        default:  // every day, switching instants
            device.SetValue(base, 1 | 0x20);
            device.SetValue(base + 3, 0x7F);
            device.SetValue(base + 1, 1);
            device.SetValue(base + 4, 12 * 60);
            device.SetValue(base + 5, 0);
            break;
        }
    }
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
