// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CLiveValuesBehaviour.h"

#include <QString>
#include <cmath>
#include <numbers>

#include "base/SensorTypeInfo.h"
#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"

namespace {
// A small integer hash: deterministic noise from (seed, input, slot).
uint32_t Mix(uint32_t a, uint32_t b)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u + (a << 6) + (a >> 2));
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

double Noise(uint32_t seed, int input, int64_t slot)
{
    const uint32_t h = Mix(Mix(seed, static_cast<uint32_t>(input)), static_cast<uint32_t>(slot));
    return static_cast<double>(h) / 2147483647.5 - 1.0;  // -1 .. 1
}
}  // namespace

CLiveValuesBehaviour::CLiveValuesBehaviour(CDeviceClock& clock, uint32_t seed) : m_clock(clock), m_seed(seed)
{
    for (int i = 0; i < 8; ++i)
        m_phase[i] = (Mix(seed, 100u + static_cast<uint32_t>(i)) % 6283u) / 1000.0;
}

int CLiveValuesBehaviour::Amplitude(int type)
{
    switch (type) {
    case SensorTypeInfo::Temperature: return 4;      // 0.4 degrees
    case SensorTypeInfo::PH: return 6;               // 0.06 pH
    case SensorTypeInfo::Redox: return 12;           // mV
    case SensorTypeInfo::CondFresh: return 25;       // uS
    case SensorTypeInfo::CondSea: return 4;          // 0.4 mS
    case SensorTypeInfo::Humidity: return 25;        // 2.5 %
    case SensorTypeInfo::AirTemperature: return 12;  // 1.2 degrees
    case SensorTypeInfo::Oxygen: return 30;          // 3 %
    case SensorTypeInfo::Voltage: return 8;          // 0.08 V
    default: return 0;
    }
}

int64_t CLiveValuesBehaviour::ValueAt(int input, int type, int64_t setpoint, int64_t elapsedMs) const
{
    const double amplitude = Amplitude(type);
    if (amplitude == 0.0)
        return 0;
    const double t = static_cast<double>(elapsedMs) / 1000.0;
    const double twoPi = 2.0 * std::numbers::pi;
    // A slow swing (half an hour and more), a faster ripple and a little step noise.
    const double slow = std::sin(twoPi * t / (1800.0 + 311.0 * input) + m_phase[input]);
    const double ripple = std::sin(twoPi * t / (420.0 + 37.0 * input) + 2.0 * m_phase[input]);
    const double noise = Noise(m_seed, input, elapsedMs / 10000);
    return setpoint + std::llround(amplitude * (0.6 * slow + 0.3 * ripple + 0.1 * noise));
}

QByteArray CLiveValuesBehaviour::FormatValue(int type, int64_t raw)
{
    const SensorTypeInfo* info = SensorTypeInfo::Find(type);
    if (!info || type == 0)
        return QByteArrayLiteral("---");
    QString text;
    if (info->decimals == 0) {
        text = QString::number(raw);
    } else {
        double scale = 1.0;
        for (int d = 0; d < info->decimals; ++d)
            scale *= 10.0;
        text = QString::number(static_cast<double>(raw) / scale, 'f', info->decimals);
    }
    return (text + QString::fromUtf8(info->unit)).toLatin1();
}

bool CLiveValuesBehaviour::IsVolatile(int number) const
{
    for (int i = 0; i < 8; ++i)
        if (number == ValueParameter(i))
            return true;
    return false;
}

void CLiveValuesBehaviour::Attach(CBusDevice& device)
{
    for (int i = 0; i < 8; ++i) {
        m_hoursBase[i] = device.Value(OperatingTimeParameter(i));
        m_hoursSetAtMs[i] = m_clock.ElapsedMs();
        device.SetReadOnly(ValueParameter(i));
    }
    device.AddBeforeRead([this](CBusDevice& d, int n) {
        if (n >= 1000 && n < 1032) {
            const int i = (n - 1000) / 4;
            const int type = static_cast<int>(d.Value(TypeParameter(i)) & 0xFF);
            if (n == ValueParameter(i)) {
                d.SetValue(n, ValueAt(i, type, d.Value(SetpointParameter(i)), m_clock.ElapsedMs()));
            } else if (n == OperatingTimeParameter(i) && type != 0) {
                const int64_t minutes = (m_clock.ElapsedMs() - m_hoursSetAtMs[i]) / CDeviceClock::kMsPerMinute;
                d.SetValue(n, m_hoursBase[i] + minutes);
            }
        }
    });
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n >= 1002 && n < 1032 && (n - 1002) % 4 == 0) {
            const int i = (n - 1002) / 4;
            m_hoursBase[i] = d.Value(n);
            m_hoursSetAtMs[i] = m_clock.ElapsedMs();
        }
    });
}
