// SPDX-License-Identifier: GPL-3.0-or-later
// Writing parameter 3 restarts the device: it ignores the bus for the restart time (real
// time), and its working state starts afresh (the owner's restart action).
#pragma once

#include <cstdint>
#include <functional>

#include "device/CDeviceBehaviour.h"

class CDeviceClock;

class CRestartBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kRestartParameter = 3;

    CRestartBehaviour(CDeviceClock& clock, int restartMs, std::function<void(CBusDevice&)> onRestart);

    void Attach(CBusDevice& device) override;
    bool IsVolatile(int number) const override { return number == kRestartParameter; }

    bool Restarting() const;
    int RestartCount() const { return m_restarts; }

private:
    CDeviceClock& m_clock;
    int m_restartMs;
    std::function<void(CBusDevice&)> m_onRestart;
    int64_t m_silentUntilMs = -1;
    int m_restarts = 0;
};
