// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CDigitalInputsBehaviour.h"

#include <random>

#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"

CDigitalInputsBehaviour::CDigitalInputsBehaviour(CDeviceClock& clock, uint32_t seed) : m_clock(clock)
{
    std::mt19937 random(seed ^ 0xD161A1u);
    // Seconds rather than minutes: a user watching the page sees the boxes change.
    std::uniform_int_distribution<int> seconds(8, 45);
    for (int i = 0; i < kInputs; ++i) {
        m_periodMs[i] = static_cast<int64_t>(seconds(random)) * 1000;
        m_phaseMs[i] = std::uniform_int_distribution<int64_t>(0, m_periodMs[i] - 1)(random);
    }
}

uint32_t CDigitalInputsBehaviour::States() const
{
    const int64_t now = m_clock.ElapsedMs();
    uint32_t states = 0;
    // Active for the first third of each cycle: a contact that closes briefly.
    for (int i = 0; i < kInputs; ++i)
        if ((now + m_phaseMs[i]) % m_periodMs[i] * 3 < m_periodMs[i])
            states |= 1u << i;
    return states;
}

void CDigitalInputsBehaviour::Attach(CBusDevice& device)
{
    device.SetReadOnly(kStatesParameter);
    device.SetValue(kStatesParameter, States());
    device.AddBeforeRead([this](CBusDevice& d, int n) {
        if (n == kStatesParameter)
            d.SetValue(n, States());
    });
}
