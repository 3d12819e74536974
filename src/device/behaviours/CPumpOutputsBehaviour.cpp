// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CPumpOutputsBehaviour.h"

#include <algorithm>
#include <cmath>

#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"

CPumpOutputsBehaviour::CPumpOutputsBehaviour(CDeviceClock& clock) : m_clock(clock) {}

bool CPumpOutputsBehaviour::IsVolatile(int number) const
{
    return number >= kFirstOutput && number < kFirstOutput + kPumps;
}

int CPumpOutputsBehaviour::Output(const CBusDevice& device, int k) const
{
    // Stored levels are whatever the PC wrote: limited to percent before use.
    const auto level = [&](int n) { return std::clamp<int64_t>(device.Value(n), 0, 100); };
    const int64_t low = level(885 + 7 * k);
    const int64_t high = std::max(low, level(888 + 7 * k));
    const double periodMs = (20 + 9 * k) * 1000.0;
    const double phase = std::fmod(double(m_clock.ElapsedMs()), periodMs) / periodMs;
    const double swing = 0.5 - 0.5 * std::cos(2 * M_PI * phase);
    return int(std::lround(double(low) + swing * double(high - low)));
}

void CPumpOutputsBehaviour::Attach(CBusDevice& device)
{
    for (int k = 0; k < kPumps; ++k) {
        device.SetReadOnly(kFirstOutput + k);
        device.SetValue(kFirstOutput + k, Output(device, k));
    }
    device.AddBeforeRead([this](CBusDevice& d, int n) {
        if (IsVolatile(n))
            d.SetValue(n, Output(d, n - kFirstOutput));
    });
}
