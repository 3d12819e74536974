// SPDX-License-Identifier: GPL-3.0-or-later
// One sensor input of the controller: type, title and the values last read.
#pragma once

#include <QString>
#include <cstdint>

class CParameterAccess;

class CSensor {
public:
    // Raw value -> display value: decimals of the type, then degrees Fahrenheit, salinity or density.
    static double ConvertValue(int type, double raw, int mode, double extra);
    static QString FormatValue(int type, double raw, int mode, double extra);
    static QString TypeName(int type);
    static QString UnitText(int type, int mode);

    double ConvertValue(double raw, int mode, double extra) const { return ConvertValue(type, raw, mode, extra); }
    QString FormatValue(double raw, int mode, double extra) const { return FormatValue(type, raw, mode, extra); }
    QString TypeName() const { return TypeName(type); }
    QString UnitText(int mode) const { return UnitText(type, mode); }
    QString FormatCurrentValue(int mode, double extra) const { return FormatValue(value, mode, extra); }
    QString FormatSetpoint(int mode) const { return FormatValue(setpoint, mode, 0.0); }

    // Reads from controller (below); false leaves the field unchanged, as without a controller.
    bool ReadValue();
    bool ReadSetpoint();
    bool ReadUserName();

    int index = 0;
    uint8_t type = 0;
    uint8_t displayMode = 0;
    double densityCorrection = 0.0;
    double setpoint = 0.0;
    double value = 0.0;
    QString userName;
    QString title;
    uint8_t bitMask = 0;
    // The controller the reads go to; the application object sets it for its inputs.
    CParameterAccess* controller = nullptr;
};
