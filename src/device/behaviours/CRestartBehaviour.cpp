// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CRestartBehaviour.h"

#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"

CRestartBehaviour::CRestartBehaviour(CDeviceClock& clock, int restartMs, std::function<void(CBusDevice&)> onRestart)
    : m_clock(clock), m_restartMs(restartMs), m_onRestart(std::move(onRestart))
{
}

bool CRestartBehaviour::Restarting() const
{
    return m_silentUntilMs >= 0 && m_clock.RealMs() < m_silentUntilMs;
}

void CRestartBehaviour::Attach(CBusDevice& device)
{
    device.SetValue(kRestartParameter, 0);
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n != kRestartParameter)
            return;
        d.SetValue(n, 0);
        ++m_restarts;
        m_silentUntilMs = m_clock.RealMs() + m_restartMs;
        if (m_onRestart)
            m_onRestart(d);
    });
    device.AddSilence([this](const CBusDevice&) { return Restarting(); });
}
