// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CParameterMeaning.h"

#include <QLocale>

#include "base/CSensor.h"
#include "base/SensorParameters.h"
#include "base/SensorTypeInfo.h"
#include "lang/CLanguage.h"

namespace {
using G = CParameterMeaning::Group;
using U = CParameterMeaning::Unit;

bool In(int n, int lo, int hi) {
    return n >= lo && n <= hi;
}

// Input of a sensor-block number, or -1.
int SensorInputOf(int n) {
    if (In(n, 10, 169)) return (n - 10) / 20;
    if (In(n, 948, 979)) return (n - 948) / 4;
    if (SensorParameters::IsOperatingTime(n)) return (n - SensorParameters::OperatingTime) / 4;
    if (In(n, 1228, 1235)) return n - 1228;
    return -1;
}

QString Two(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}
}  // namespace

CParameterMeaning::Group CParameterMeaning::GroupOf(uint16_t number, bool smsModuleList) {
    const int n = number;
    if (n == 0 || n == 2 || n == 6) return Identification;
    if (smsModuleList) return SmsModule;
    if (const int input = SensorInputOf(n); input >= 0)
        return static_cast<Group>(SensorInput1 + input);
    if (n == 5 || In(n, 172, 178) || In(n, 701, 703)) return General;
    if (In(n, 180, 435) || In(n, 1033, 1047) || n == 735) return Illumination;
    if (In(n, 436, 438)) return SpecialLamp;
    if (In(n, 440, 487)) return Memories;
    if (In(n, 490, 497) || In(n, 712, 714)) return Simulation;
    if (In(n, 500, 659)) return Timers;
    if (In(n, 660, 683) || In(n, 854, 859)) return Interfaces;
    if (In(n, 684, 699) || In(n, 819, 827)) return SwitchPlugs;
    if (In(n, 710, 711) || In(n, 860, 910)) return CurrentPumps;
    if (In(n, 715, 722)) return VariableIllumination;
    if (In(n, 723, 726)) return DigitalInputs;
    if (In(n, 740, 754)) return Thunderstorm;
    if (In(n, 755, 759)) return LightReduction;
    if (In(n, 760, 769)) return Level;
    if (In(n, 770, 773)) return Display;
    if (In(n, 780, 782)) return Recorder;
    if (In(n, 790, 791) || In(n, 800, 815)) return Maintenance;
    if (In(n, 828, 853)) return DosingPumps;
    if (In(n, 912, 935)) return Logic;
    return Other;
}

QString CParameterMeaning::GroupTitle(Group group) {
    if (group >= SensorInput1 && group <= SensorInput8)
        return Tr(51001).arg(static_cast<int>(group) - SensorInput1 + 1);
    static const int kTitles[GroupCount] = {StringId(51000),
                                            StringId(154),
                                            StringId(258),
                                            StringId(155),
                                            StringId(144),
                                            StringId(135),
                                            StringId(349),
                                            StringId(462),
                                            StringId(225),
                                            StringId(158),
                                            StringId(161),
                                            StringId(276),
                                            StringId(393),
                                            0,
                                            0,
                                            0,
                                            0,
                                            0,
                                            0,
                                            0,
                                            0,
                                            StringId(181),
                                            StringId(163),
                                            StringId(183),
                                            StringId(159),
                                            StringId(160),
                                            StringId(465),
                                            StringId(323),
                                            StringId(374),
                                            StringId(51002)};
    return group >= 0 && group < GroupCount ? Tr(kTitles[group]) : Tr(51002);
}

CParameterMeaning::Unit CParameterMeaning::UnitOf(uint16_t number,
                                                  const std::array<uint8_t, 8>& sensorTypes,
                                                  int version) {
    const int n = number;
    // Minutes after midnight: simulation, the general page's period, pump night, storms,
    // the start of each illumination run point, the start of each timer point.
    if (n == 496 || n == 497 || n == 702 || n == 703 || n == 861 || n == 862) return U::TimeOfDay;
    if (In(n, 743, 749) && (n - 743) % 2 == 0) return U::TimeOfDay;
    if (In(n, 180, 435) && In((n - 180) % 32, 2, 25) && (n - 180) % 32 % 3 == 2)
        return U::TimeOfDay;
    if (In(n, 500, 659) && In((n - 500) % 20, 4, 19) && (n - 500) % 2 == 0) return U::TimeOfDay;
    // Seconds: pump groups' times, level times (three per channel from 4.08 on, before that
    // two times and a third one of their own).
    if (n == 867 || n == 868 || n == 877 || n == 878) return U::Duration;
    if (version >= 408 && (n == 762 || n == 765 || n == 768)) return U::Duration;
    if (version >= 0 && version < 408 && (n == 763 || n == 764 || n == 769)) return U::Duration;
    // Levels of illumination run points, a channel's limit, current-pump levels, group shares.
    if (In(n, 180, 435) &&
        (((n - 180) % 32 >= 4 && (n - 180) % 32 <= 25 && (n - 180) % 32 % 3 == 1) ||
         (n - 180) % 32 == 26))
        return U::Percent;
    if (In(n, 885, 909) && (n - 885) % 7 <= 3) return U::Percent;
    if (n == 871 || n == 881) return U::Percent;
    if (SensorParameters::IsOperatingTime(n)) return U::Hours;
    const int input = SensorInputOf(n);
    if (input >= 0 && n == SensorParameters::Number(input, SensorParameters::Setpoint) &&
        SensorTypeInfo::Find(sensorTypes[static_cast<size_t>(input)]) &&
        sensorTypes[static_cast<size_t>(input)] != 0)
        return U::SensorValue;
    return U::Raw;
}

QString CParameterMeaning::DisplayText(uint16_t number, int32_t value,
                                       const std::array<uint8_t, 8>& sensorTypes, int version) {
    const QLocale locale;
    switch (UnitOf(number, sensorTypes, version)) {
        case U::Raw:
            return {};
        case U::TimeOfDay:
            if (value < 0 || value >= 24 * 60) return {};
            return Two(value / 60) + QLatin1Char(':') + Two(value % 60);
        case U::Duration:
            if (value < 0) return {};
            return QString::number(value / 3600) + QLatin1Char(':') + Two(value / 60 % 60) +
                   QLatin1Char(':') + Two(value % 60);
        case U::Percent:
            return locale.toString(value) + QStringLiteral(" %");
        case U::Hours:
            return locale.toString(value / 60.0, 'f', 1) + QStringLiteral(" h");
        case U::SensorValue: {
            const int code = sensorTypes[static_cast<size_t>(SensorInputOf(number))];
            const SensorTypeInfo* type = SensorTypeInfo::Find(code);
            // Mode 0: the unit the type's table names.
            const double scaled = CSensor::ConvertValue(code, value, 0, 0.0);
            return locale.toString(scaled, 'f', type->decimals) + QLatin1Char(' ') +
                   QString::fromUtf8(type->unit);
        }
    }
    return {};
}
