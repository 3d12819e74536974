// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's operating mode (1101: 0 normal, 3 dimming simulation, 4 maintenance,
// 5 socket test, 6 light-scene test) and its one-shot commands (1058, low byte = command,
// high byte = argument): 1 maintenance on/off, 3 thunderstorm for a duration, 0 the level
// function of the two-channel level modes. 1058 reads back as 0, as do the special lamp's
// commands (1321 flash with an intensity 0..9, 1320 its other command, always 0). The
// power-strip commands (1054 first socket number 1..19, 1055 mask of six sockets) are
// taken when in range and keep the last value sent.
#pragma once

#include <cstdint>

#include "device/CDeviceBehaviour.h"

class CDeviceClock;

class COperatingModeBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kModeParameter = 1101;
    static constexpr int kCommandParameter = 1058;
    static constexpr int kFlashParameter = 1321;
    static constexpr int kLampCommandParameter = 1320;
    static constexpr int kPowerStripFirstSocket = 1054;
    static constexpr int kPowerStripMask = 1055;
    enum Mode { Normal = 0, DimmingSimulation = 3, Maintenance = 4, SocketTest = 5, LightSceneTest = 6 };

    explicit COperatingModeBehaviour(CDeviceClock& clock);

    void Attach(CBusDevice& device) override;
    void Restart(CBusDevice& device) override;
    bool IsVolatile(int number) const override;

    // 0 off, 1 on, 2 on from the older level page's command.
    int LevelFunction() const { return m_levelFunction; }
    bool ThunderstormActive() const;

private:
    CDeviceClock& m_clock;
    int m_levelFunction = 0;
    int64_t m_thunderstormUntilMs = -1;
};
