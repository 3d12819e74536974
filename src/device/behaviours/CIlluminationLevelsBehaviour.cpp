// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CIlluminationLevelsBehaviour.h"

#include <algorithm>

#include "base/ModelInfo.h"
#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"
#include "device/behaviours/COperatingModeBehaviour.h"
#include "schedule/CIlluminationRun.h"

CIlluminationLevelsBehaviour::CIlluminationLevelsBehaviour(CDeviceClock& clock) : m_clock(clock) {}

int CIlluminationLevelsBehaviour::Channels(const CBusDevice& device) const {
    const ModelInfo* model = ModelInfo::Find(device.ProductCode());
    return model ? model->illuminationChannels : 0;
}

bool CIlluminationLevelsBehaviour::IsVolatile(int number) const {
    return number >= LevelParameter(0) && number < LevelParameter(8) && (number - LevelParameter(0)) % 2 == 0;
}

int CIlluminationLevelsBehaviour::Level(const CBusDevice& device, int channel) const {
    if (m_override)
        if (const std::optional<int> level = m_override(device, channel)) return *level;
    const int block = 180 + 32 * channel;
    CIlluminationRun run;
    // Stored values are whatever was written: bound the count and the fields.
    const int n = int(std::clamp<int64_t>(device.Value(block + 1), 0, CIlluminationRun::kMaxPoints));
    for (int i = 0; i < n; ++i) {
        const int p = block + 2 + 3 * i;
        run.points.push_back({{uint16_t(std::clamp<int64_t>(device.Value(p), 0, 1439)),
                               uint16_t(std::clamp<int64_t>(device.Value(p + 1), 0, 1439))},
                              uint8_t(std::clamp<int64_t>(device.Value(p + 2), 0, 100))});
    }
    const bool simulating = device.Value(COperatingModeBehaviour::kModeParameter) ==
                            COperatingModeBehaviour::DimmingSimulation;
    const int minute = simulating ? int(std::clamp<int64_t>(device.Value(kMinuteParameter), 0, 1439))
                                  : m_clock.MinuteOfDay();
    return run.LevelAt(device.Value(block + 27) == 1 ? CIlluminationRun::Switching : CIlluminationRun::Dimming,
                       minute);
}

void CIlluminationLevelsBehaviour::Attach(CBusDevice& device) {
    if (!device.Has(kMinuteParameter)) device.SetValue(kMinuteParameter, 720);
    for (int k = 0; k < Channels(device); ++k) device.SetValue(LevelParameter(k), Level(device, k));
    device.AddBeforeRead([this](CBusDevice& d, int n) {
        if (!IsVolatile(n)) return;
        const int channel = (n - LevelParameter(0)) / 2;
        if (channel < Channels(d)) d.SetValue(n, Level(d, channel));
    });
}
