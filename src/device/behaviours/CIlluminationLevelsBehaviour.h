// SPDX-License-Identifier: GPL-3.0-or-later
// The live light level of each illumination channel (1032 + 2k, percent): the channel's run
// at the device clock's minute, or at the simulated minute (1099) while the dimming
// simulation runs (1101 = 3). Another mode (a light-scene test, say) takes over the levels
// by setting an override, which is asked first for every channel.
#pragma once

#include <functional>
#include <optional>

#include "device/CDeviceBehaviour.h"

class CDeviceClock;

class CIlluminationLevelsBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kMinuteParameter = 1099;
    static constexpr int LevelParameter(int channel) { return 1032 + 2 * channel; }
    // The level a channel shows instead of its run, or nothing to leave it to the run.
    using Override = std::function<std::optional<int>(const CBusDevice& device, int channel)>;

    explicit CIlluminationLevelsBehaviour(CDeviceClock& clock);

    void Attach(CBusDevice& device) override;
    bool IsVolatile(int number) const override;
    void SetOverride(Override override) { m_override = std::move(override); }

    // The channel's level now, from the device's parameters.
    int Level(const CBusDevice& device, int channel) const;

private:
    int Channels(const CBusDevice& device) const;

    CDeviceClock& m_clock;
    Override m_override;
};
