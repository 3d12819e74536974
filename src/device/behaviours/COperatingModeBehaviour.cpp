// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/COperatingModeBehaviour.h"

#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"

namespace {
bool KnownMode(int64_t v)
{
    return v == 0 || v == 3 || v == 4 || v == 5 || v == 6;
}

bool KnownCommand(int64_t v)
{
    if (v < 0 || v > 0xFFFF)
        return false;
    const int command = static_cast<int>(v & 0xFF);
    const int argument = static_cast<int>(v >> 8);
    switch (command) {
    case 0: return true;                             // level function: 0 off, else on
    case 1: return argument == 0 || argument == 1;   // maintenance end / start
    case 3: return argument >= 1 && argument <= 20;  // thunderstorm duration
    default: return false;
    }
}
}  // namespace

COperatingModeBehaviour::COperatingModeBehaviour(CDeviceClock& clock) : m_clock(clock) {}

bool COperatingModeBehaviour::IsVolatile(int number) const
{
    return number == kModeParameter || number == kCommandParameter || number == kFlashParameter ||
           number == kLampCommandParameter;
}

bool COperatingModeBehaviour::ThunderstormActive() const
{
    return m_thunderstormUntilMs >= 0 && m_clock.ElapsedMs() < m_thunderstormUntilMs;
}

void COperatingModeBehaviour::Restart(CBusDevice& device)
{
    device.SetValue(kModeParameter, Normal);
    device.SetValue(kCommandParameter, 0);
    m_thunderstormUntilMs = -1;
}

void COperatingModeBehaviour::Attach(CBusDevice& device)
{
    device.SetValue(kModeParameter, Normal);
    device.SetValue(kCommandParameter, 0);
    device.AddWriteCheck([](CBusDevice&, int n, int64_t v) -> uint8_t {
        if (n == kModeParameter && !KnownMode(v))
            return CBusDevice::kRefusalValue;
        if (n == kCommandParameter && !KnownCommand(v))
            return CBusDevice::kRefusalValue;
        if ((n == kFlashParameter && (v < 0 || v > 9)) || (n == kLampCommandParameter && v != 0))
            return CBusDevice::kRefusalValue;
        // The power-strip commands, passed on to the strip: its first socket number, or
        // the mask of its six sockets.
        if (n == kPowerStripFirstSocket && (v < 1 || v > 19))
            return CBusDevice::kRefusalValue;
        if (n == kPowerStripMask && (v < 0 || v > 0x3F))
            return CBusDevice::kRefusalValue;
        return 0;
    });
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n != kCommandParameter)
            return;
        const int64_t v = d.Value(n);
        const int command = static_cast<int>(v & 0xFF);
        const int argument = static_cast<int>(v >> 8);
        if (command == 0) {
            m_levelFunction = argument == 0 ? 0 : argument == 0xFF ? 2 : 1;
        } else if (command == 1) {
            if (argument == 1)
                d.SetValue(kModeParameter, Maintenance);
            else if (d.Value(kModeParameter) == Maintenance)
                d.SetValue(kModeParameter, Normal);
        } else if (command == 3) {
            m_thunderstormUntilMs = m_clock.ElapsedMs() + static_cast<int64_t>(argument) * CDeviceClock::kMsPerMinute;
        }
    });
    // A command is a one-shot: it is never seen again on reading.
    device.AddBeforeRead([](CBusDevice& d, int n) {
        if (n == kCommandParameter || n == kFlashParameter || n == kLampCommandParameter)
            d.SetValue(n, 0);
    });
}
