// SPDX-License-Identifier: GPL-3.0-or-later
// The measured values of the eight sensor inputs: each drifts slowly and plausibly around
// its setpoint (parameter 20i+15) and is read as 1000+4i. The operating-time counters
// (1002+4i, minutes) run and can be set or reset.
#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

#include "base/SensorParameters.h"
#include "device/CDeviceBehaviour.h"

class CDeviceClock;

class CLiveValuesBehaviour : public CDeviceBehaviour {
public:
    CLiveValuesBehaviour(CDeviceClock& clock, uint32_t seed);

    void Attach(CBusDevice& device) override;
    bool IsVolatile(int number) const override;

    static int ValueParameter(int input) { return SensorParameters::Number(input, SensorParameters::Value); }
    static int OperatingTimeParameter(int input) {
        return SensorParameters::Number(input, SensorParameters::OperatingTime);
    }
    static int SetpointParameter(int input) { return SensorParameters::Number(input, SensorParameters::Setpoint); }
    static int TypeParameter(int input) { return SensorParameters::Number(input, SensorParameters::Type); }

    // How far a value of this sensor type strays from its setpoint, in raw units.
    static int Amplitude(int type);
    // A raw value as the controller prints it: decimals of the type, then the unit
    // (single-byte text, as the device sends it).
    static QByteArray FormatValue(int type, int64_t raw);
    // The value of input at device time elapsedMs, for a setpoint and type.
    int64_t ValueAt(int input, int type, int64_t setpoint, int64_t elapsedMs) const;

private:
    CDeviceClock& m_clock;
    uint32_t m_seed;
    std::array<double, 8> m_phase{};
    std::array<int64_t, 8> m_hoursBase{};     // operating minutes at the last set
    std::array<int64_t, 8> m_hoursSetAtMs{};  // device time of the last set
};
