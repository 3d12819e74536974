// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CLightSceneBehaviour.h"

#include "device/CBusDevice.h"
#include "device/behaviours/CIlluminationLevelsBehaviour.h"
#include "device/behaviours/COperatingModeBehaviour.h"

namespace {
int ChannelOf(int number) {
    const int first = CIlluminationLevelsBehaviour::LevelParameter(0);
    if (number < first || number > CIlluminationLevelsBehaviour::LevelParameter(7) || (number - first) % 2 != 0)
        return -1;
    return (number - first) / 2;
}
}  // namespace

CLightSceneBehaviour::CLightSceneBehaviour(CIlluminationLevelsBehaviour& levels) : m_levels(levels) {}

void CLightSceneBehaviour::Restart(CBusDevice&) {
    m_inTest = false;
}

void CLightSceneBehaviour::Follow(CBusDevice& device) {
    const bool test = device.Value(COperatingModeBehaviour::kModeParameter) == COperatingModeBehaviour::LightSceneTest;
    if (test && !m_inTest) {
        // The channels keep what they show until the PC sends other levels.
        for (int k = 0; k < int(m_testLevels.size()); ++k) m_testLevels[size_t(k)] = m_levels.Level(device, k);
    }
    m_inTest = test;
}

void CLightSceneBehaviour::Attach(CBusDevice& device) {
    m_levels.SetOverride([this](const CBusDevice& d, int channel) -> std::optional<int> {
        if (!m_inTest || d.Value(COperatingModeBehaviour::kModeParameter) != COperatingModeBehaviour::LightSceneTest ||
            channel < 0 || channel >= int(m_testLevels.size()))
            return std::nullopt;
        return m_testLevels[size_t(channel)];
    });
    // Levels are percentages; outside the test they are the controller's to set.
    device.AddWriteCheck([](CBusDevice& d, int n, int64_t v) -> uint8_t {
        if (ChannelOf(n) < 0) return 0;
        if (d.Value(COperatingModeBehaviour::kModeParameter) != COperatingModeBehaviour::LightSceneTest ||
            v < 0 || v > 100)
            return CBusDevice::kRefusalValue;
        return 0;
    });
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n == COperatingModeBehaviour::kModeParameter) {
            Follow(d);
            return;
        }
        const int channel = ChannelOf(n);
        if (channel >= 0 && m_inTest) m_testLevels[size_t(channel)] = int(d.Value(n));
    });
}
