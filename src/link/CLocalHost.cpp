// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CLocalHost.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

QString CLocalHost::Name()
{
    const QString name = QHostInfo::localHostName();
    return name.isEmpty() ? QStringLiteral("???") : name;
}

QStringList CLocalHost::Ipv4Addresses(int max)
{
    QStringList out;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            const QHostAddress a = entry.ip();
            if (a.protocol() != QAbstractSocket::IPv4Protocol || a.isLoopback())
                continue;
            if (out.size() >= max)
                return out;
            out << a.toString();
        }
    }
    return out;
}

QString CLocalHost::FirstAddress(const QString& fallback)
{
    const QStringList all = Ipv4Addresses(1);
    return all.isEmpty() ? fallback : all.first();
}

QString CLocalHost::NetworkOf(const QString& dotted)
{
    const qsizetype dot = dotted.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? dotted : dotted.left(dot + 1) + QLatin1Char('0');
}
