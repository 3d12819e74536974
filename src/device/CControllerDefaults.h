// SPDX-License-Identifier: GPL-3.0-or-later
// Built-in starting values for a virtual controller whose parameter list gives none: a
// plausible setpoint for every sensor input, a location for the sun-dependent functions.
#pragma once

#include <utility>
#include <vector>

class CBusDevice;

class CControllerDefaults {
public:
    // Fills only the parameters the device does not hold yet.
    static void Apply(CBusDevice& device);
    // A demo controller's lights and timers: daylight runs (one channel switching, one a
    // moonlight), timers in weekday and cycle mode. Unlike Apply's fills these replace the
    // factory runs of the parameter lists; a saved device state still loads over them.
    static void ApplyLightsAndTimers(CBusDevice& device);
    // The setpoint a sensor type starts with, in raw units.
    static int Setpoint(int type);
    // A sensor type's factory block in raw units: (block setting k as for input 0, value) for
    // 10..29 without the type (25), then 948..951. The twin of the parameter lists' sensor
    // table (data/paralists/generate.py); a type without a row gets the block of no sensor.
    static std::vector<std::pair<int, int>> SensorBlock(int type);
    // Every input whose type is not the one its parameter list was made for (the model's, or
    // none past the fourth input; a device started with --sensors) gets its type's factory
    // block, so each sensor page shows values of its own type. Of several fitted inputs the
    // last is marked not calibrated, so that the pages' notice can be seen.
    static void ApplySensorBlocks(CBusDevice& device);
    // Varied logic functions where the list gave every copy the same (untouched) values.
    static void ApplyLogicFunctions(CBusDevice& device);
    // Light effects to look at where the list left them at their factory values: two daily
    // thunderstorms at the weekend, a light reduction on two channels, the special lamp on.
    static void ApplyLightEffects(CBusDevice& device);
    // Level channels in a working mode and the two pump groups in different modes, so the
    // level and pump pages show more than the factory's "off".
    static void ApplyLevelAndPumps(CBusDevice& device);
    // Varied 1-10 V sources and ranges, and digital-input functions, where the list gave the
    // plain copies.
    static void ApplyInterfaces(CBusDevice& device);
    // Socket functions where the device holds none: lamps, timers, control directions,
    // a logic output and single functions.
    static void ApplySockets(CBusDevice& device);
    // A demo controller as a whole, where its parameter list left the factory values: a LAN
    // module and a module with a pH and a temperature input (inputs 5 and 6, set up like
    // the built-in ones), sockets and interfaces in maintenance, and four reminders, the
    // first due on the given day.
    static void ApplyControllerAsAWhole(CBusDevice& device, int today);
};
