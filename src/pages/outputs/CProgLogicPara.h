// SPDX-License-Identifier: GPL-3.0-or-later
// One programmable logic function: two input bytes (low byte of a function word each), the
// function byte (bits 0-5 logic function, 6 and 7 the inputs' marker flags), a time in
// seconds for the time functions, and the user's name.
#pragma once

#include <QString>
#include <cstdint>

struct CProgLogicPara {
    static constexpr int kMinTime = 1;
    static constexpr int kMaxTime = 28800;

    uint8_t input1 = 0;
    uint8_t input2 = 0;
    uint8_t function = 0;
    uint16_t time = 60;
    QString name;

    int Logic() const { return function & 0x3F; }
    bool Marker1() const { return (function & 0x40) != 0; }
    bool Marker2() const { return (function & 0x80) != 0; }
    // Functions 7..10 take a time instead of a second input; 4 has no second operand.
    static bool IsTimeFunction(int logic) { return logic >= 7 && logic <= 10; }
    static bool HasSecondInput(int logic) { return logic != 4 && !IsTimeFunction(logic); }
};
