// SPDX-License-Identifier: GPL-3.0-or-later
// One SMS alert entry of the SMS module, and the rules its texts follow: the module takes
// phone numbers as "+" and digits and texts from a small single-byte set, 20 characters each.
#pragma once

#include <QString>
#include <cstdint>

class CSMS {
public:
    QString recipient;
    QString text;
    QString code;
    uint8_t event = 0;
    uint8_t condition = 0;
    int minutes = 0;  // time of day or interval; hours and minutes only
    uint8_t value1 = 1;
    uint8_t flag = 0;
    uint8_t value2 = 5;
    int32_t slot = -1;  // position in the module when read from it, -1 when made or changed here

    static constexpr int MaxLength = 20;
    static constexpr int MaxCodeLength = 4;

    // A leading "+" and the digits, "+" put in front when missing, at most 20 characters.
    static QString NormalisePhoneNumber(const QString& typed);
    // Umlauts and sharp s spelt out, only blank..'z', CR and LF kept, at most 20 characters.
    static QString FilterText(const QString& typed);
};
