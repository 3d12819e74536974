// SPDX-License-Identifier: GPL-3.0-or-later
// How to reach one controller: serial port and baud rate, or network address and TCP port.
#pragma once

#include <QString>
#include <cstdint>

class CArchive;

class CConnection {
public:
    enum Type : uint32_t { Serial = 0, Tcp = 1 };

    CConnection();  // defaults; the name is the catalogue's string 188

    bool IsTcp() const { return type == Tcp; }
    // The reply timeout as the engine uses it: clamped to 100..65535 ms so that a stored
    // 65536 does not become 0 in sixteen bits.
    uint16_t EffectiveTimeout() const;

    // Stores or loads the record of "Connections.dat"; the SMS byte only when hasSmsField
    // is set. False when a load ran out of bytes (the record is then incomplete).
    bool Serialize(CArchive& ar);
    // Whether every field lies within what the connection dialogs accept (port 0..255, baud
    // up to 4000000, bus address 0..34, a timeout of at most nine digits, TCP port, no
    // control characters). A stored record outside that is damage, not a connection.
    bool IsPlausible() const;
    // "---" for a non-serial connection, else the baud rate in decimal.
    QString GetBaudText() const;
    // String 195 for serial, 272 for TCP, empty for any other type.
    QString GetTypeText() const;
    // The "where" of the connection lists: "COM" + port, or address (<AUTO>) + ":" + port.
    QString GetWhereText() const;

    uint32_t comPort = 1;
    uint32_t baudRate = 9600;
    uint32_t deviceAddress = 1;
    uint32_t type = Serial;
    uint32_t replyTimeout = 5000;
    QString name;
    QString networkAddress = QStringLiteral("0.0.0.0");
    uint32_t tcpPort = 10001;
    bool smsModule = false;
    bool hasSmsField = true;  // serialisation switch: whether the SMS-module byte is stored
};
