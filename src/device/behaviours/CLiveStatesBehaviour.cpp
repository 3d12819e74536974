// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CLiveStatesBehaviour.h"

#include <algorithm>
#include <random>

#include "base/ModelInfo.h"
#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"
#include "device/behaviours/CIlluminationLevelsBehaviour.h"
#include "device/behaviours/CLiveValuesBehaviour.h"
#include "device/behaviours/COperatingModeBehaviour.h"
#include "device/behaviours/CPumpOutputsBehaviour.h"

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

uint32_t CLiveStatesBehaviour::SocketMask(CBusDevice& device) const
{
    const int64_t mode = device.Value(COperatingModeBehaviour::kModeParameter);
    if (mode == COperatingModeBehaviour::SocketTest)
        return m_testMask;
    return NormalMask(device);
}

bool CLiveStatesBehaviour::TimerOn(const CBusDevice& d, int timer) const
{
    // Stored values are whatever the PC wrote: counts, minutes and lengths are bounded.
    const int base = 500 + 20 * timer;
    const int64_t flags = d.Value(base);
    const int64_t day = m_clock.DayNumber();
    if ((flags & 3) == 1) {
        // Weekday mask, bit 0 Monday; day 0 (1 January 2000) was a Saturday.
        if (!((d.Value(base + 3) >> ((day + 5) % 7)) & 1))
            return false;
    } else if ((flags & 3) == 2) {
        const int64_t length = d.Value(base + 3);
        if (length < 1 || length > 200)
            return false;
        if (((day - d.Value(base + 2)) % length + length) % length != 0)
            return false;
    } else {
        return false;
    }
    const int type = (flags & 0x20) ? 2 : (flags & 0x80) ? 1 : 0;
    const int points = static_cast<int>(std::clamp<int64_t>(d.Value(base + 1), 0, 8));
    const int64_t msOfDay = ((m_clock.WallMs() % CDeviceClock::kMsPerDay) + CDeviceClock::kMsPerDay) % CDeviceClock::kMsPerDay;
    const int64_t minute = msOfDay / CDeviceClock::kMsPerMinute;
    int instants = 0;
    for (int i = 0; i < points; ++i) {
        const int64_t start = std::clamp<int64_t>(d.Value(base + 4 + 2 * i), 0, 1439);
        const int64_t second = d.Value(base + 5 + 2 * i);
        if (type == 0) {
            const int64_t end = std::clamp<int64_t>(second, 0, 1439);
            const bool on = end > start ? minute >= start && minute < end : minute >= start || minute < end;
            if (on)
                return true;
        } else if (type == 1) {
            const int64_t from = start * CDeviceClock::kMsPerMinute;
            if (msOfDay >= from && msOfDay < from + std::clamp<int64_t>(second, 1, 300) * 1000)
                return true;
        } else if (minute >= start) {
            ++instants;
        }
    }
    // Switching instants toggle the socket: on after an odd number of them today.
    return type == 2 && instants % 2 == 1;
}

std::optional<bool> CLiveStatesBehaviour::FunctionState(CBusDevice& d, int word) const
{
    const int code = word & 0x1F;
    const int index = (word >> 5) & 7;
    const ModelInfo* model = ModelInfo::Find(d.ProductCode());
    const auto live = [&d](int number) {
        d.Refresh(number);
        return d.Value(number);
    };
    switch (code) {
    case 0:  // illumination channel: on while it gives light
        return model && index < model->illuminationChannels &&
               live(CIlluminationLevelsBehaviour::LevelParameter(index)) > 0;
    case 1:  // timer: on while one of its periods runs
        return model && index < model->timers && TimerOn(d, index);
    case 2:   // first and second control directions, their second stages: by the value
    case 3:   // against the setpoint, the stages half a swing further out
    case 4:
    case 11: {
        const int type = static_cast<int>(d.Value(CLiveValuesBehaviour::TypeParameter(index)) & 0xFF);
        if (type == 0)
            return false;
        const int64_t value = live(CLiveValuesBehaviour::ValueParameter(index));
        const int64_t setpoint = d.Value(CLiveValuesBehaviour::SetpointParameter(index));
        const int64_t stage = CLiveValuesBehaviour::Amplitude(type) / 2;
        return code == 2 ? value < setpoint : code == 3 ? value > setpoint
             : code == 4 ? value < setpoint - stage : value > setpoint + stage;
    }
    case 5:  // alarm of an input
        return (Alarm() & SensorAlarm) != 0;
    case 7:  // current pump: on while it runs
        return index < CPumpOutputsBehaviour::kPumps && live(CPumpOutputsBehaviour::kFirstOutput + index) > 0;
    case 24:  // maintenance
        return d.Value(COperatingModeBehaviour::kModeParameter) == COperatingModeBehaviour::Maintenance;
    case 25:  // thunderstorm
        return m_modes && m_modes->ThunderstormActive();
    case 27:  // always on
    case 29:  // filter
        return true;
    case 31:  // alarm output
        return Alarm() != 0;
    case 26:  // night lamp, feed pause, not used: off
    case 28:
    case 30:
        return false;
    default:  // level, dosing, logic, variable light, digital input: now and then
        return std::nullopt;
    }
}

uint32_t CLiveStatesBehaviour::NormalMask(CBusDevice& device) const
{
    const int64_t mode = device.Value(COperatingModeBehaviour::kModeParameter);
    const int64_t now = m_clock.ElapsedMs();
    uint32_t mask = 0;
    for (int k = 0; k < m_sockets; ++k) {
        const int word = static_cast<int>(device.Value(k < 16 ? 684 + k : 820 + k - 16) & 0xFFFF);
        bool on = false;
        if (const std::optional<bool> state = FunctionState(device, word)) {
            on = *state;
        } else {
            const int64_t inCycle = (now + m_phaseMs[k]) % m_periodMs[k];
            on = inCycle * 100 < m_periodMs[k] * m_dutyPercent[k];
        }
        // The marker inverts what the function gives.
        if (word & 0x8000)
            on = !on;
        if (on)
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
