// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CControllerDefaults.h"

#include "app/ModelInfo.h"
#include "app/SensorParameters.h"
#include "app/SensorTypeInfo.h"
#include "device/CBusDevice.h"
#include "device/CLiveValuesBehaviour.h"

#include <QByteArray>
#include <QDate>
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
    ApplyControllerAsAWhole(device, static_cast<int>(QDate(2000, 1, 1).daysTo(QDate::currentDate())));
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

void CControllerDefaults::ApplyControllerAsAWhole(CBusDevice& device, int today)
{
    // Only over a parameter list's factory values: all reminders off, nothing in maintenance.
    for (int m = 0; m < 4; ++m)
        if (!device.Has(440 + 12 * m) || device.Value(440 + 12 * m) != 65535)
            return;
    if (device.Has(1129) || device.Value(800) != 0 || device.Value(814) != 0)
        return;

    // Expansion modules: LAN (k = 0); pH and temperature (k = 1) bring inputs 5 and 6,
    // configured like the built-in inputs of those kinds where the model has them.
    using namespace SensorParameters;
    const auto builtIn = [&device](int type) {
        for (int i = 0; i < 4; ++i)
            if ((device.Value(Number(i, Type)) & 0xFF) == type)
                return i;
        return -1;
    };
    const int ph = builtIn(SensorTypeInfo::PH), temperature = builtIn(SensorTypeInfo::Temperature);
    const bool sensorModule = ph >= 0 && temperature >= 0 && device.Value(Number(4, Type)) == 0 &&
                              device.Value(Number(5, Type)) == 0;
    device.SetValue(1129, 2);
    device.SetValue(1137, 7);
    device.SetValue(1154, 102);
    device.SetValue(1157, 3);
    device.SetValue(1138, 1);
    device.SetValue(1155, 104);
    device.SetValue(1158, sensorModule ? 36 : 11);  // PH & TEMP, else 4L
    if (sensorModule) {
        const int from[2] = {ph, temperature};
        for (int s = 0; s < 2; ++s) {
            for (int k = 10; k <= 29; ++k)
                device.SetValue(Number(4 + s, k), device.Value(Number(from[s], k)));
            for (int k = 948; k <= 951; ++k)
                device.SetValue(Number(4 + s, k), device.Value(Number(from[s], k)));
        }
        device.SetValue(772, device.Value(772) | 0x30);
    }

    // Display: channels 1-4, then time and date.
    if (device.Value(771) == 255)
        device.SetValue(771, 0x10F);

    // Maintenance: sockets 1-4 (socket 2 stays on), interfaces 1 and 2 at 20 and 0 %.
    device.SetValue(800, 0x000F);
    device.SetValue(802, 0x0002);
    device.SetValue(814, 0x0003);
    device.SetValue(804, 20);
    device.SetValue(815, 30);

    // Reminders: due day, option, interval, text.
    struct Reminder { int due; int option; int interval; const char* text; };
    const Reminder reminders[4] = {
        {today, 1, 14, "Water change"},
        {today + 5, 0, 30, "Clean filter"},
        {today + 40, 1, 90, "Replace UV lamp"},
        {65535, 0, 7, "Check CO2"},
    };
    for (int m = 0; m < 4; ++m) {
        const int b = 440 + 12 * m;
        const Reminder& r = reminders[m];
        device.SetValue(b, r.due);
        device.SetValue(b + 1, r.option);
        device.SetValue(b + 2, r.interval);
        const QByteArray text = QByteArray(r.text).leftJustified(16, ' ', true);
        for (int w = 0; w < 8; ++w)
            device.SetValue(b + 3 + w, uint8_t(text[2 * w]) | uint8_t(text[2 * w + 1]) << 8);
    }
}
