// SPDX-License-Identifier: GPL-3.0-or-later
// One controller parameter as a list or a settings file holds it: number, name from the
// list file, and either a numeric value or a byte string.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

class CSWMBus;

class CParameter {
public:
    enum Kinds : int32_t { NumericKind = 0, TextKind = 1 };
    // ParseLine's result for a line that is not a parameter line.
    static constexpr int LineError = -2;

    CParameter() = default;
    CParameter(uint16_t number, const QString& name, double value);
    CParameter(const CParameter&) = default;
    CParameter& operator=(const CParameter&) = default;
    virtual ~CParameter() = default;

    // A text parameter with the given bytes (stored with surrounding quotes).
    static CParameter MakeText(uint16_t number, const QString& name, const QByteArray& bytes);

    // Reads the value through the bus (its device address already set). On failure the
    // record is unchanged. Returns the protocol status.
    uint16_t ReadFromController(CSWMBus& bus);
    // Writes the value; identification parameters (by name) are never sent. A write the
    // device refuses is reported as not acknowledged rather than as success.
    uint16_t WriteToController(CSWMBus& bus) const;

    // The parameter line, ending in CR LF.
    QByteArray FormatLine() const;
    // Appends the line to out (the fast path of file writing).
    void AppendLine(QByteArray& out) const;
    // 0, or LineError for a line that is too short or has fewer than three fields; the
    // record is unchanged on failure.
    int ParseLine(QByteArrayView line);

    // The bytes of a text value without its surrounding quotes.
    QByteArray TextBytes() const;
    // True for "CODE_SOFTWAREVERSION", "CODE_PRODUCTID" and "CODE_SERIALNUMBER".
    bool IsIdentification() const;
    // The numeric value as the file and the bus carry it: truncated toward zero, low 32 bits,
    // read as signed.
    int32_t FileValue() const;

    bool operator==(const CParameter& other) const;

    QString Name;
    uint16_t Number = 0;
    double Value = 0.0;
    // Text value including its surrounding double quotes; single-byte characters.
    QByteArray Text;
    int32_t Kind = NumericKind;
};
