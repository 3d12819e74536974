// SPDX-License-Identifier: GPL-3.0-or-later
// States that change by themselves: the switched sockets (1188, bit k = socket k+1 on), the
// level inputs (1070 on), and the alarm (1090, non-zero while active). A socket follows its
// function word: an illumination channel while it gives light, a timer by its switching
// points, a control direction by its input's value against the setpoint, an alarm, a pump,
// the fixed single functions; the marker inverts. The rest switch now and then.
// Socket test mode (1101 = 5) lets the PC switch the sockets; maintenance mode (1101 = 4)
// puts the included sockets into their maintenance states (800..803). A level alarm stays
// until the PC clears it by writing 1070 = 0.
//
// Level state layout: firmware 408 and later report one word per channel (1070 + c: bit 0
// alarm, bit 1 contact, bits 3 and 4 slower flags; channel 0 also carries the level function
// in bits 8..11); earlier firmware one word (1070: contacts in bits 0, 1 and 10, alarm in
// bit 4, slower flags in bits 2, 3, 8, 9, 11 and 13) and the level function as a state
// number in 1071.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "device/CDeviceBehaviour.h"

class CDeviceClock;
class COperatingModeBehaviour;

class CLiveStatesBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kSocketsParameter = 1188;
    static constexpr int kLevelParameter = 1070;
    static constexpr int kAlarmParameter = 1090;
    enum AlarmBits { SensorAlarm = 1, LevelAlarm = 2 };

    // modes may be null (no level function, no test modes).
    CLiveStatesBehaviour(CDeviceClock& clock, uint32_t seed, const COperatingModeBehaviour* modes);

    void Attach(CBusDevice& device) override;
    void Restart(CBusDevice& device) override;
    bool IsVolatile(int number) const override;

    // Schedules, in device time: when the next level alarm and sensor alarm begin.
    static constexpr int64_t kLevelAlarmPeriodMs = 47 * 60 * 1000;
    static constexpr int64_t kLevelAlarmOffsetMs = 20 * 60 * 1000;
    static constexpr int64_t kSensorAlarmPeriodMs = 53 * 60 * 1000;
    static constexpr int64_t kSensorAlarmOffsetMs = 30 * 60 * 1000;
    static constexpr int64_t kSensorAlarmLengthMs = 2 * 60 * 1000;

    // The sockets now: in test mode as the PC set them, else as their functions give.
    uint32_t SocketMask(CBusDevice& device) const;
    bool LevelAlarmLatched() const;
    int Alarm() const;

private:
    void Update(CBusDevice& device);
    uint32_t NormalMask(CBusDevice& device) const;
    // What a function word switches to now; nothing for functions that switch now and then.
    std::optional<bool> FunctionState(CBusDevice& device, int word) const;
    bool TimerOn(const CBusDevice& device, int timer) const;

    CDeviceClock& m_clock;
    const COperatingModeBehaviour* m_modes;
    int m_sockets = 24;
    int m_levelChannels = 0;
    bool m_perChannelLevel = true;
    std::array<int64_t, 24> m_periodMs{};
    std::array<int64_t, 24> m_phaseMs{};
    std::array<int, 24> m_dutyPercent{};
    uint32_t m_testMask = 0;
    bool m_inTest = false;
    int64_t m_levelAlarmClearedAtMs = -1;
};
