// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that program devices on the 1-10 V interfaces: 1052 (a lamp: 75, 100, 125,
// 150, 175, 200 or 225) and 1065 (a heater: 2, 3 or 4; firmware 402 and later). The controller
// passes them on and keeps nothing: both read back as 0, other values are refused.
#pragma once

#include "device/CDeviceBehaviour.h"

class CDeviceProgrammingBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kLampParameter = 1052;
    static constexpr int kHeaterParameter = 1065;

    void Attach(CBusDevice& device) override;
    bool IsVolatile(int number) const override { return number == kLampParameter || number == kHeaterParameter; }

    // The last command each took (0 none), for a look at what the PC sent.
    int LastLamp() const { return m_lastLamp; }
    int LastHeater() const { return m_lastHeater; }

private:
    int m_lastLamp = 0;
    int m_lastHeater = 0;
};
