// SPDX-License-Identifier: GPL-3.0-or-later
// The four digital inputs' live states (1091, read only; bit i = input i + 1 active): each
// input closes now and then on a cycle of its own, so the page's check boxes move.
#pragma once

#include <array>
#include <cstdint>

#include "device/CDeviceBehaviour.h"

class CDeviceClock;

class CDigitalInputsBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kStatesParameter = 1091;
    static constexpr int kInputs = 4;

    CDigitalInputsBehaviour(CDeviceClock& clock, uint32_t seed);

    void Attach(CBusDevice& device) override;
    bool IsVolatile(int number) const override { return number == kStatesParameter; }

    uint32_t States() const;

private:
    CDeviceClock& m_clock;
    std::array<int64_t, kInputs> m_periodMs{};
    std::array<int64_t, kInputs> m_phaseMs{};
};
