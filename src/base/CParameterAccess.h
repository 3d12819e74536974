// SPDX-License-Identifier: GPL-3.0-or-later
// Single-parameter access to the connected controller: what a sensor input or a recorder
// download needs to read and write values. The application object implements it over its
// link; whoever needs it is handed one, so nothing below the application reaches for it.
#pragma once

#include <QByteArray>
#include <cstdint>

class CParameterAccess {
public:
    virtual ~CParameterAccess() = default;

    // 0 on success, else the bus status; toSmsModule addresses the SMS module.
    virtual uint16_t ReadParameter(int number, bool toSmsModule = false) = 0;
    // The value of the last successful read: unsigned, as a signed 16-bit number, as text.
    virtual double GetLastValue() const = 0;
    virtual double GetLastSignedValue() const = 0;
    virtual QByteArray GetLastText() const = 0;
    virtual uint16_t WriteParameter(int number, double value, bool toSmsModule = false) = 0;
    virtual uint16_t WriteTextParameter(int number, const QByteArray& bytes, bool toSmsModule = false) = 0;
};
