// SPDX-License-Identifier: GPL-3.0-or-later
// The function word the controller stores per socket (and, in its low byte, per input of a
// logic function): bits 0-4 function code, 5-7 index, 8 not ours (kept), 9-14 value,
// 15 marker. Also which functions the editor offers on a model and firmware, and the text
// a word is listed with. Words come from the device: every field is masked, so no value can
// index outside a table.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class CSensor;
struct ModelInfo;

class CSwitchFunction {
public:
    static constexpr int kSensorData = 32;  // editor items of sensor inputs: 32 + input
    static constexpr int kMaxValue = 60;

    static int Code(uint32_t word) { return static_cast<int>(word & 0x1F); }
    static int Index(uint32_t word) { return static_cast<int>((word >> 5) & 0x07); }
    static int Value(uint32_t word) { return static_cast<int>((word >> 9) & 0x3F); }
    static bool Marker(uint32_t word) { return (word & 0x8000u) != 0; }
    // The word with the given fields; bit 8 (and nothing else) comes from old. Value is
    // clamped to 0..60, index to its three bits.
    static uint16_t Compose(uint32_t old, int code, int index, int value, bool marker);

    // Codes 2, 3, 4, 5 and 11: the index is a sensor input.
    static bool IsSensorCode(int code);
    // Codes 24..31: no index (stored 0).
    static bool IsSingle(int code) { return code >= 24 && code <= 31; }
    // Count of the index list of a code (0 for sensor codes and single functions). Codes
    // 13..15 no version offers keep their three index bits selectable.
    static int IndexCount(int code, const ModelInfo* model);
    // The catalogue string naming a code (0 for codes without one).
    static int NameString(int code);

    struct Item {
        int stringId;
        int data;  // function code
    };
    // The non-sensor functions the editor offers, in its order.
    static std::vector<Item> Offered(int productCode, int firmware);
    // The conditions a sensor input of this type offers (data = function code).
    static std::vector<Item> Conditions(int sensorType);

    // The listed text of a function: see the page's function table.
    static QString Text(int code, int index, bool marker, const std::array<CSensor, 8>& sensors);
};

// The text of a function word with the connected controller's sensor inputs.
QString SwitchFunctionText(int code, int index, bool marker);
