// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CSerialPortMap.h"

#include <QSettings>

#include "base/CAppPaths.h"

namespace {
QString Key(uint32_t n)
{
    return QStringLiteral("SerialPorts/COM%1").arg(n);
}
}  // namespace

QString CSerialPortMap::DefaultDevicePath(uint32_t n)
{
    if (n >= 1 && n <= 16)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 1);
    if (n >= 17 && n <= 32)
        return QStringLiteral("/dev/ttyACM%1").arg(n - 17);
    if (n >= 33 && n <= 64)
        return QStringLiteral("/dev/ttyS%1").arg(n - 33);
    return {};
}

QString CSerialPortMap::Override(uint32_t n)
{
    QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
    return s.value(Key(n)).toString();
}

QString CSerialPortMap::DevicePath(uint32_t n)
{
    const QString o = Override(n);
    return o.isEmpty() ? DefaultDevicePath(n) : o;
}

void CSerialPortMap::SetOverride(uint32_t n, const QString& path)
{
    QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
    if (path.isEmpty())
        s.remove(Key(n));
    else
        s.setValue(Key(n), path);
}

uint32_t CSerialPortMap::NumberForPath(const QString& path)
{
    QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
    s.beginGroup(QStringLiteral("SerialPorts"));
    for (const QString& key : s.childKeys()) {
        if (s.value(key).toString() == path && key.startsWith(QLatin1String("COM"))) {
            bool ok = false;
            const uint32_t n = key.mid(3).toUInt(&ok);
            if (ok)
                return n;
        }
    }
    for (uint32_t n = 1; n <= 64; ++n)
        if (DefaultDevicePath(n) == path)
            return n;
    return 0;
}
