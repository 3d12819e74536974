// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CControllerDefaults.h"

#include "base/ModelInfo.h"
#include "base/SensorParameters.h"
#include "base/SensorTypeInfo.h"
#include "device/CBusDevice.h"
#include "device/behaviours/CLiveValuesBehaviour.h"

#include <algorithm>
#include <QByteArray>
#include <QDate>
#include <vector>

namespace {
// Block settings in the order of the table's columns.
constexpr int kBlockSettings[] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                                  22, 23, 24, 26, 27, 28, 29, 948, 949, 950, 951};
constexpr int kBlockSize = sizeof kBlockSettings / sizeof kBlockSettings[0];
struct FactoryBlock {
    int type;
    int values[kBlockSize];
};
// clang-format off
// Raw units; the same rows as SENSOR_DEFAULTS of data/paralists/generate.py.
//  k:  10    11    12    13  14    15   16 17   18    19   20 21 22  23   24   26 27  28  29  948 949 950 951
constexpr FactoryBlock kFactoryBlocks[] = {
    {0,  {0,    0,    0,    0, 0,    0,   0, 0,   0,    0,   0, 0, 0,  0,   0,   0, 0,  0,  0,  0,  0,   0,  1}},
    {SensorTypeInfo::Temperature,
         {200,  300, 1000, 1500, 1,  250,  50, 0, -10, 1320, 480, 0, 0, 10,  10,  20, 0, 60, 60,  0,  0,  20,  1}},
    {SensorTypeInfo::PH,
         {700,  400, 2000, 2600, 1,  820,  20, 0, -20, 1320, 480, 0, 0,  0, 100,   0, 0, 60, 60,  0,  0,   0,  1}},
    {SensorTypeInfo::Redox,
         {200,  400, 1200, 2400, 1,  350,  20, 0,   0,    0,   0, 0, 0,  0, 100,   0, 0, 60, 60,  0,  0,   0,  1}},
    {SensorTypeInfo::CondFresh,
         {700, 1400, 1300, 2600, 1,  500,  20, 0,   0,    0,   0, 0, 0, 10, 100, 250, 0, 60, 60,  0,  0,   0,  1}},
    {SensorTypeInfo::CondSea,
         {200,  530, 1100, 2900, 1,  530,  10, 0,   0,    0,   0, 0, 0, 10,  50, 250, 0, 60, 60,  0,  0,   0,  1}},
    {SensorTypeInfo::Humidity,
         {30,    80,  900, 2400, 1,  700,  20, 0,  50, 1320, 480, 0, 0,  0,  50,   0, 0, 60, 60,  0,  0,   0,  1}},
    {SensorTypeInfo::AirTemperature,
         {200,  300, 1000, 1500, 1,  250,  10, 0, -20, 1320, 480, 0, 0,  0,  20,   0, 0, 60, 60,  0,  0,  20,  1}},
    {SensorTypeInfo::Oxygen,
         {0,   1000,  100, 3000, 1, 1000,  50, 0,   0,    0,   0, 0, 0, 10,  50, 250, 0, 60, 60,  0, 10, 100,  1}},
    {SensorTypeInfo::Voltage,
         {0,   1000,  100, 3100, 1,  500,  10, 0,   0, 1320, 480, 0, 0,  0,  50,   0, 0, 60, 60,  0,  0,   0,  1}},
};
// clang-format on

const FactoryBlock& FactoryBlockOf(int type)
{
    for (const FactoryBlock& b : kFactoryBlocks)
        if (b.type == type)
            return b;
    return kFactoryBlocks[0];
}

// Bits 12..19 of the first raw calibration value: the controller's mark of an input that has
// never been calibrated.
constexpr int64_t kNotCalibrated = 0xFF000;
}  // namespace

int CControllerDefaults::Setpoint(int type)
{
    return FactoryBlockOf(type).values[5];
}

std::vector<std::pair<int, int>> CControllerDefaults::SensorBlock(int type)
{
    const FactoryBlock& b = FactoryBlockOf(type);
    std::vector<std::pair<int, int>> out;
    for (int j = 0; j < kBlockSize; ++j)
        out.emplace_back(kBlockSettings[j], b.values[j]);
    return out;
}

void CControllerDefaults::ApplySensorBlocks(CBusDevice& device)
{
    using SensorParameters::Number;
    const ModelInfo* model = ModelInfo::Find(device.ProductCode());
    int lastFitted = -1, fitted = 0;
    for (int i = 0; i < SensorParameters::kInputs; ++i) {
        const int type = static_cast<int>(device.Value(Number(i, SensorParameters::Type)) & 0xFF);
        const int listType = model && i < 4 ? model->sensorTypes[i] : 0;
        if (type != listType || !device.Has(Number(i, 10)))
            for (const auto& [k, value] : SensorBlock(type))
                device.SetValue(Number(i, k), value);
        if (SensorTypeInfo::Find(type) && type != 0) {
            lastFitted = i;
            ++fitted;
        }
    }
    if (fitted >= 2) {
        const int raw1 = Number(lastFitted, 12);
        device.SetValue(raw1, device.Value(raw1) | kNotCalibrated);
    }
}

void CControllerDefaults::Apply(CBusDevice& device)
{
    const auto fill = [&device](int number, int64_t value) {
        if (!device.Has(number))
            device.SetValue(number, value);
    };
    ApplySensorBlocks(device);
    for (int i = 0; i < 8; ++i) {
        // A controller in use: the counters have run for a while (the lists start them at 0).
        const int n = CLiveValuesBehaviour::OperatingTimeParameter(i);
        if (device.Value(n) == 0)
            device.SetValue(n, 1200 * 60 + 97 * i);
    }
    fill(177, 482);  // 48.2 degrees north
    fill(178, 116);  // 11.6 degrees east
    ApplyLightsAndTimers(device);
    ApplyLogicFunctions(device);
    ApplyControllerAsAWhole(device, static_cast<int>(QDate(2000, 1, 1).daysTo(QDate::currentDate())));
    ApplyLightEffects(device);
    ApplyLevelAndPumps(device);
    ApplyInterfaces(device);
    ApplySockets(device);
}

void CControllerDefaults::ApplyLevelAndPumps(CBusDevice& device)
{
    const ModelInfo* model = ModelInfo::Find(device.ProductCode());
    if (!model)
        return;
    const int channels = model->levelChannels;
    if (channels > 0 && device.Value(0) >= 408) {
        // Flags: mode in bits 0..2, count - 1 in bits 4..6.
        const int flags[3] = {1 | (2 << 4), 4, 1 | (1 << 4) | 8};
        const int delays[3] = {30, 10, 60};
        const int times[3] = {10 * 60, 45 * 60, 2 * 3600};
        for (int c = 0; c < channels && c < 3; ++c) {
            device.SetValue(760 + 3 * c, flags[c]);
            device.SetValue(761 + 3 * c, delays[c]);
            device.SetValue(762 + 3 * c, times[c]);
        }
    } else if (channels > 0) {
        device.SetValue(760, channels > 2 ? 0x141 : 0x41);  // one mode nibble per channel
        device.SetValue(761, 30);
        device.SetValue(762, 10);
        device.SetValue(763, 10 * 60);
        device.SetValue(764, 45 * 60);
    }
    if (device.Has(866) && device.Has(876)) {
        device.SetValue(866, 1);
        device.SetValue(876, 3);
        device.SetValue(877, 2 * 60);
        device.SetValue(878, 5 * 60);
    }
}

void CControllerDefaults::ApplySockets(CBusDevice& device)
{
    // As the shipped lists have them: the first lamps, the first timers, a heater, a cooler
    // and the alarm of the first warm input, a logic output and a few single functions.
    const ModelInfo* model = ModelInfo::Find(device.ProductCode());
    if (!model)
        return;
    std::vector<int> words;
    for (int k = 0; k < std::min<int>(model->illuminationChannels, 4); ++k)
        words.push_back(k << 5);
    for (int k = 0; k < std::min<int>(model->timers, 4); ++k)
        words.push_back(1 | k << 5);
    for (int i = 0; i < 4; ++i) {
        const int64_t type = device.Value(CLiveValuesBehaviour::TypeParameter(i)) & 0xFF;
        if (type == SensorTypeInfo::Temperature || type == SensorTypeInfo::AirTemperature) {
            words.insert(words.end(), {2 | i << 5, 3 | i << 5, 5 | i << 5});
            break;
        }
    }
    words.insert(words.end(), {9, 29, 28, 31});
    for (int k = 0; k < 24; ++k) {
        const int number = k < 16 ? 684 + k : 820 + k - 16;
        if (!device.Has(number))
            device.SetValue(number, k < int(words.size()) ? words[size_t(k)] : 30);
    }
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

void CControllerDefaults::ApplyLightEffects(CBusDevice& device)
{
    // Only a device whose list gave no storm and no reduction channel (or no list at all).
    if (device.Value(742) != 0 || device.Value(755) != 0)
        return;
    device.SetValue(742, 2);
    device.SetValue(740, 6);
    device.SetValue(741, 70);
    device.SetValue(751, 0x60);  // Saturday and Sunday
    const int starts[4] = {14 * 60 + 30, 20 * 60 + 15, 21 * 60, 22 * 60};
    const int durations[4] = {5, 12, 5, 5};
    for (int i = 0; i < 4; ++i) {
        device.SetValue(743 + 2 * i, starts[i]);
        device.SetValue(744 + 2 * i, durations[i]);
    }
    if (device.Has(752)) {  // firmware 407 on
        device.SetValue(752, 8);
        device.SetValue(753, 20);
        device.SetValue(754, 45);
    }
    // The reduction watches the first temperature input there is.
    int watched = 0;
    for (int i = 7; i >= 0; --i) {
        const int type = static_cast<int>(device.Value(CLiveValuesBehaviour::TypeParameter(i)) & 0xFF);
        if (type == SensorTypeInfo::Temperature || type == SensorTypeInfo::AirTemperature)
            watched = i;
    }
    device.SetValue(755, 0x03);
    device.SetValue(756, 15);
    device.SetValue(757, 30);
    device.SetValue(758, watched);
    device.SetValue(759, 20);
    if (device.Has(436)) {  // firmware 402 on
        device.SetValue(436, 1);
        device.SetValue(437, 1);
        device.SetValue(438, 0);
    }
}

void CControllerDefaults::ApplyInterfaces(CBusDevice& device)
{
    // Only a device that still holds the list's plain copies: every interface following its
    // illumination channel over the full range, every digital input unused.
    const ModelInfo* model = ModelInfo::Find(device.ProductCode());
    if (!model)
        return;
    const int count = model->interfaces110 < 10 ? model->interfaces110 : 10;
    const auto first = [](int k) { return k < 8 ? 660 + 3 * k : 854 + 3 * (k - 8); };
    bool plain = true;
    for (int k = 0; k < count && plain; ++k)
        plain = device.Value(first(k)) == 1000 && device.Value(first(k) + 1) == 10000;
    if (plain) {
        struct Interface { int lower, upper, source; };
        // Source byte: code in bits 0-4, index in bits 5-7 (0 light, 1 pump, 2 sensor input,
        // 3 variable light, 31 single function).
        static const Interface interfaces[10] = {
            {1000, 10000, 0x00}, {0, 10000, 0x20}, {2000, 8500, 0x01}, {1500, 9000, 0x21},
            {1000, 10000, 0x03}, {500, 9500, 0x02}, {0, 6000, 0x40}, {3000, 10000, 0x23},
            {1000, 10000, 31}, {0, 10000, 0x60},
        };
        for (int k = 0; k < count; ++k) {
            device.SetValue(first(k), interfaces[k].lower);
            device.SetValue(first(k) + 1, interfaces[k].upper);
            device.SetValue(first(k) + 2, interfaces[k].source);
        }
    }
    if (!device.Has(723))
        return;
    for (int i = 0; i < 4; ++i)
        if (device.Value(723 + i) != 0)
            return;
    static const int functions[4] = {18, 50, 0, 2};  // maintenance, thunderstorm, unused, level
    for (int i = 0; i < 4; ++i)
        device.SetValue(723 + i, functions[i]);
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
            device.SetValue(Number(4 + s, Type), device.Value(Number(from[s], Type)));
            for (int k : kBlockSettings)
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
