// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SensorParameters.h"
#include "base/CSensor.h"

#include "base/CParameterAccess.h"
#include "base/SensorTypeInfo.h"
#include "lang/CLanguage.h"

double CSensor::ConvertValue(int type, double raw, int mode, double extra)
{
    const SensorTypeInfo* info = SensorTypeInfo::Find(type);
    double x = raw;
    for (int d = 0; d < (info ? info->decimals : 0); ++d)
        x /= 10.0;
    if (type == SensorTypeInfo::Temperature || type == SensorTypeInfo::AirTemperature)
        return mode == 1 ? x * 1.8 + 32.0 : x;
    if (type == SensorTypeInfo::CondSea && (mode == 1 || mode == 2)) {
        // The factor is the single-precision 0.656, as the controller's own display uses it.
        const double s = x * static_cast<double>(0.656f);
        if (mode == 1)
            return s;
        return s * (s * 0.00000251 + 0.00068693) + 0.99770707 + extra;
    }
    return x;
}

QString CSensor::FormatValue(int type, double raw, int mode, double extra)
{
    return QString::asprintf("%.*g", 5, ConvertValue(type, raw, mode, extra));
}

QString CSensor::TypeName(int type)
{
    const SensorTypeInfo* info = SensorTypeInfo::Find(type);
    if (!info)
        return {};
    return QString::fromLatin1(CLanguage::Current().Language() == 0 ? info->name0 : info->name1);
}

QString CSensor::UnitText(int type, int mode)
{
    const SensorTypeInfo* info = SensorTypeInfo::Find(type);
    if (!info)
        return {};
    if ((type == SensorTypeInfo::Temperature || type == SensorTypeInfo::AirTemperature) && mode == 1)
        return QStringLiteral("\u00B0F");
    if (type == SensorTypeInfo::CondSea && (mode == 1 || mode == 2))
        return {};
    return QString::fromUtf8(info->unit);
}

bool CSensor::ReadValue()
{
    if (!controller || controller->ReadParameter(SensorParameters::Number(index, SensorParameters::Value)) != 0)
        return false;
    value = controller->GetLastSignedValue();
    return true;
}

bool CSensor::ReadSetpoint()
{
    if (!controller || controller->ReadParameter(SensorParameters::Number(index, SensorParameters::Setpoint)) != 0)
        return false;
    setpoint = controller->GetLastSignedValue();
    return true;
}

bool CSensor::ReadUserName()
{
    if (!controller || controller->ReadParameter(1228 + index) != 0)
        return false;
    const QByteArray text = controller->GetLastText();
    const qsizetype nul = text.indexOf('\0');
    userName = QString::fromLatin1(nul < 0 ? text : text.left(nul));
    return true;
}
