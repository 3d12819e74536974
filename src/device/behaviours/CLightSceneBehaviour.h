// SPDX-License-Identifier: GPL-3.0-or-later
// Light-scene test mode (1101 = 6): the levels the PC writes to 1032 + 2k become the
// channels' live levels. The test starts from the levels the channels had; when the mode
// ends, the channels go back to their runs. Placed in front of the illumination levels as
// their override.
#pragma once

#include <array>

#include "device/CDeviceBehaviour.h"

class CIlluminationLevelsBehaviour;

class CLightSceneBehaviour : public CDeviceBehaviour {
public:
    explicit CLightSceneBehaviour(CIlluminationLevelsBehaviour& levels);

    void Attach(CBusDevice& device) override;
    void Restart(CBusDevice& device) override;
    bool InTest() const { return m_inTest; }

private:
    void Follow(CBusDevice& device);

    CIlluminationLevelsBehaviour& m_levels;
    bool m_inTest = false;
    std::array<int, 8> m_testLevels{};
};
