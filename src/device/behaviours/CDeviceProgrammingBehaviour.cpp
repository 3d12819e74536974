// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CDeviceProgrammingBehaviour.h"

#include "device/CBusDevice.h"

void CDeviceProgrammingBehaviour::Attach(CBusDevice& device)
{
    device.SetValue(kLampParameter, 0);
    device.SetValue(kHeaterParameter, 0);
    device.AddWriteCheck([](CBusDevice& d, int n, int64_t v) -> uint8_t {
        if (n == kLampParameter)
            return v >= 75 && v <= 225 && v % 25 == 0 ? 0 : CBusDevice::kRefusalValue;
        if (n == kHeaterParameter)
            return d.Value(0) >= 402 && v >= 2 && v <= 4 ? 0 : CBusDevice::kRefusalValue;
        return 0;
    });
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n != kLampParameter && n != kHeaterParameter)
            return;
        (n == kLampParameter ? m_lastLamp : m_lastHeater) = static_cast<int>(d.Value(n));
        d.SetValue(n, 0);
    });
}
