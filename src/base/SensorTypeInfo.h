// SPDX-License-Identifier: GPL-3.0-or-later
// Sensor types: names, units and decimals of the raw values.
#pragma once

#include <cstdint>

struct SensorTypeInfo {
    uint8_t code;
    const char* name0;  // language 0
    const char* name1;  // every other language
    const char* unit;   // UTF-8
    uint8_t decimals;

    // The row of a type code, or nullptr (type 6 and unknown codes have none).
    static const SensorTypeInfo* Find(int code);

    enum Type : uint8_t {
        None = 0, Temperature = 1, PH = 2, Redox = 3, CondFresh = 4, CondSea = 5,
        Humidity = 7, AirTemperature = 8, Oxygen = 9, Voltage = 10,
    };
    static constexpr int MaxCode = 10;
};
