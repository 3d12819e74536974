// SPDX-License-Identifier: GPL-3.0-or-later
// The controller models, looked up by product code.
#pragma once

#include <QString>
#include <cstdint>

struct ModelInfo {
    uint8_t productCode;
    uint8_t sensorTypes[4];  // built-in sensor inputs 1..4, sensor-type codes
    uint8_t count160;        // shown by the System page under string 160
    uint8_t count290;        // shown by the System page under string 290
    const char* displayName;
    uint8_t levelChannels;
    uint8_t switchPlugFunctions;
    uint8_t interfaces110;  // 1-10 V interfaces
    uint8_t illuminationChannels;
    uint8_t timers;
    uint8_t dosingPumps;
    const char* listSuffix;  // parameter-list file suffix

    // The row of a product code, or nullptr.
    static const ModelInfo* Find(int productCode);
    // All seven rows in table order.
    static const ModelInfo* Rows(int& count);
    // List suffix of any product code, including the SMS module (10); empty when unknown.
    static QString ListSuffix(int productCode);

    static constexpr int SmsModuleProductCode = 10;
};
