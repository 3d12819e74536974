// SPDX-License-Identifier: GPL-3.0-or-later
// What the program knows about a parameter by its number alone: the function it belongs to
// (the navigation tree's pages, in the tree's order) and, where the pages agree on it, the
// unit a person reads it in. Used to group and show differences between two configurations;
// numbers it does not know are shown raw under "Other settings".
#pragma once

#include <QString>
#include <array>
#include <cstdint>

class CParameterMeaning {
public:
    // Functions in the order of the navigation tree.
    enum Group : int {
        Identification,
        General,
        Illumination,
        Simulation,
        Thunderstorm,
        LightReduction,
        SpecialLamp,
        VariableIllumination,
        Timers,
        Memories,
        CurrentPumps,
        DosingPumps,
        Maintenance,
        SensorInput1,
        SensorInput8 = SensorInput1 + 7,
        Level,
        Recorder,
        Display,
        SwitchPlugs,
        Interfaces,
        DigitalInputs,
        Logic,
        SmsModule,
        Other,
        GroupCount
    };
    enum class Unit { Raw, TimeOfDay, Duration, Percent, SensorValue, Hours };

    // The group of a number; a list written to the SMS module is the module's as a whole.
    static Group GroupOf(uint16_t number, bool smsModuleList);
    // The group's title in the current language (sensor inputs numbered from 1).
    static QString GroupTitle(Group group);

    // sensorTypes: the type of each input as the controller reports it (0 = none or
    // unknown); a sensor value is shown in its type's unit only when the type is known.
    // version: the firmware the value belongs to (the level block changed layout at 4.08);
    // -1 when unknown.
    static Unit UnitOf(uint16_t number, const std::array<uint8_t, 8>& sensorTypes, int version);
    // The value in display units ("08:00", "0:10:00", "50 %", "25.0 °C", "12.5 h"), or an
    // empty string when the number's unit is not known.
    static QString DisplayText(uint16_t number, int32_t value,
                               const std::array<uint8_t, 8>& sensorTypes, int version);
};
