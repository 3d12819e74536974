// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CLiveStatesBehaviour.h"

#include <random>

#include "base/ModelInfo.h"
#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"
#include "device/COperatingModeBehaviour.h"

CLiveStatesBehaviour::CLiveStatesBehaviour(CDeviceClock& clock, uint32_t seed, const COperatingModeBehaviour* modes)
    : m_clock(clock), m_modes(modes)
{
    std::mt19937 random(seed ^ 0x50C4E75u);
    std::uniform_int_distribution<int> minutes(4, 40);
    std::uniform_int_distribution<int> duty(20, 80);
    for (int k = 0; k < 24; ++k) {
        m_periodMs[k] = static_cast<int64_t>(minutes(random)) * CDeviceClock::kMsPerMinute;
        m_phaseMs[k] = std::uniform_int_distribution<int64_t>(0, m_periodMs[k] - 1)(random);
        m_dutyPercent[k] = duty(random);
    }
}

bool CLiveStatesBehaviour::IsVolatile(int number) const
{
    return number == kSocketsParameter || number == kAlarmParameter ||
           (number >= kLevelParameter && number <= kLevelParameter + 2);
}

uint32_t CLiveStatesBehaviour::SocketMask(const CBusDevice& device) const
{
    const int64_t mode = device.Value(COperatingModeBehaviour::kModeParameter);
    if (mode == COperatingModeBehaviour::SocketTest)
        return m_testMask;
    return NormalMask(device);
}

uint32_t CLiveStatesBehaviour::NormalMask(const CBusDevice& device) const
{
    const int64_t mode = device.Value(COperatingModeBehaviour::kModeParameter);
    const int64_t now = m_clock.ElapsedMs();
    uint32_t mask = 0;
    for (int k = 0; k < m_sockets; ++k) {
        // Single functions: "always on" (27) is on, the unused and the event-driven ones
        // (maintenance, thunderstorm, alarm ...) are off; all others switch now and then.
        const int code = static_cast<int>(device.Value(k < 16 ? 684 + k : 820 + k - 16) & 0x1F);
        if (code >= 24) {
            if (code == 27)
                mask |= 1u << k;
            continue;
        }
        const int64_t inCycle = (now + m_phaseMs[k]) % m_periodMs[k];
        if (inCycle * 100 < m_periodMs[k] * m_dutyPercent[k])
            mask |= 1u << k;
    }
    if (mode == COperatingModeBehaviour::Maintenance) {
        const auto word = [&](int n) { return static_cast<uint32_t>(device.Value(n)) & 0xFFFF; };
        const uint32_t included = word(800) | (word(801) << 16);
        const uint32_t states = word(802) | (word(803) << 16);
        mask = (mask & ~included) | (states & included);
    }
    const uint32_t all = m_sockets >= 32 ? 0xFFFFFFFFu : ((1u << m_sockets) - 1);
    return mask & all;
}

bool CLiveStatesBehaviour::LevelAlarmLatched() const
{
    if (m_levelChannels == 0)
        return false;
    const int64_t now = m_clock.ElapsedMs();
    if (now < kLevelAlarmOffsetMs)
        return false;
    const int64_t lastOnset = kLevelAlarmOffsetMs + ((now - kLevelAlarmOffsetMs) / kLevelAlarmPeriodMs) * kLevelAlarmPeriodMs;
    return lastOnset > m_levelAlarmClearedAtMs;
}

int CLiveStatesBehaviour::Alarm() const
{
    int alarm = 0;
    const int64_t now = m_clock.ElapsedMs();
    if (now >= kSensorAlarmOffsetMs &&
        (now - kSensorAlarmOffsetMs) % kSensorAlarmPeriodMs < kSensorAlarmLengthMs)
        alarm |= SensorAlarm;
    if (LevelAlarmLatched())
        alarm |= LevelAlarm;
    return alarm;
}

void CLiveStatesBehaviour::Update(CBusDevice& d)
{
    d.SetValue(kSocketsParameter, SocketMask(d));
    d.SetValue(kAlarmParameter, Alarm());
    const int64_t now = m_clock.ElapsedMs();
    const auto contact = [now](int c) { return (now / ((11 + 7 * c) * CDeviceClock::kMsPerMinute)) % 2 == 1; };
    // Slower flags beside the contacts (bits 3 and 4 per channel; the older word's other
    // lamps), so every state column and lamp shows something now and then.
    const auto flag = [now](int k) { return (now / ((5 + 3 * k) * CDeviceClock::kMsPerMinute)) % 3 == 2; };
    const bool alarm = LevelAlarmLatched();
    const int function = m_modes ? m_modes->LevelFunction() : 0;
    if (m_levelChannels == 0) {
        d.SetValue(kLevelParameter, 0);
    } else if (m_perChannelLevel) {
        for (int c = 0; c < m_levelChannels; ++c) {
            int64_t word = contact(c) ? 0x02 : 0;
            word |= flag(2 * c) ? 0x08 : 0;
            word |= flag(2 * c + 1) ? 0x10 : 0;
            if (c == 0) {
                word |= alarm ? 0x01 : 0;
                word |= static_cast<int64_t>(function & 0x0F) << 8;
            }
            d.SetValue(kLevelParameter + c, word);
        }
    } else {
        int64_t word = 0;
        const int bits[3] = {0, 1, 10};
        for (int c = 0; c < m_levelChannels && c < 3; ++c)
            if (contact(c))
                word |= int64_t(1) << bits[c];
        if (alarm)
            word |= 0x10;
        const int lamps[6] = {2, 3, 8, 9, 11, 13};
        for (int k = 0; k < 6; ++k)
            if (flag(k))
                word |= int64_t(1) << lamps[k];
        d.SetValue(kLevelParameter, word);
        d.SetValue(kLevelParameter + 1, function);
    }
}

void CLiveStatesBehaviour::Restart(CBusDevice& device)
{
    m_testMask = 0;
    m_inTest = false;
}

void CLiveStatesBehaviour::Attach(CBusDevice& device)
{
    const ModelInfo* model = ModelInfo::Find(device.ProductCode());
    m_sockets = model ? model->switchPlugFunctions : 24;
    m_levelChannels = model ? model->levelChannels : 0;
    m_perChannelLevel = device.Value(0) >= 408;
    device.SetReadOnly(kAlarmParameter);
    if (m_perChannelLevel) {
        for (int c = 1; c < 3; ++c)
            device.SetReadOnly(kLevelParameter + c);
    } else {
        device.SetReadOnly(kLevelParameter + 1);
    }
    Update(device);
    device.AddBeforeRead([this](CBusDevice& d, int n) {
        if (n == kSocketsParameter || n == kAlarmParameter || (n >= kLevelParameter && n <= kLevelParameter + 2))
            Update(d);
    });
    device.AddWriteCheck([](CBusDevice& d, int n, int64_t v) -> uint8_t {
        // The sockets follow the PC only in socket test mode.
        if (n == kSocketsParameter &&
            d.Value(COperatingModeBehaviour::kModeParameter) != COperatingModeBehaviour::SocketTest)
            return CBusDevice::kRefusalValue;
        // Writing 0 clears the level alarm; the states themselves come from the inputs.
        if (n == kLevelParameter && v != 0)
            return CBusDevice::kRefusalValue;
        return 0;
    });
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n == COperatingModeBehaviour::kModeParameter) {
            // Test mode starts from the states the sockets have at that moment.
            const bool test = d.Value(n) == COperatingModeBehaviour::SocketTest;
            if (test && !m_inTest)
                m_testMask = NormalMask(d);
            m_inTest = test;
        } else if (n == kSocketsParameter) {
            m_testMask = static_cast<uint32_t>(d.Value(n));
            Update(d);
        } else if (n == kLevelParameter) {
            m_levelAlarmClearedAtMs = m_clock.ElapsedMs();
            Update(d);
        }
    });
}
