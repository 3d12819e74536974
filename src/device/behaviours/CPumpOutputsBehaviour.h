// SPDX-License-Identifier: GPL-3.0-or-later
// The current pumps' live outputs (1080 + k, percent, read only): each pump swings between
// its level 1 and level 4 (885 + 7k, 888 + 7k) on a cycle of its own, so the page's live
// column moves.
#pragma once

#include "device/CDeviceBehaviour.h"

class CDeviceClock;

class CPumpOutputsBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kFirstOutput = 1080;
    static constexpr int kPumps = 4;

    explicit CPumpOutputsBehaviour(CDeviceClock& clock);

    void Attach(CBusDevice& device) override;
    bool IsVolatile(int number) const override;

    // Output of pump k now, from its stored levels.
    int Output(const CBusDevice& device, int k) const;

private:
    CDeviceClock& m_clock;
};
