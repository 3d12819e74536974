// SPDX-License-Identifier: GPL-3.0-or-later
// This computer's host name and own IPv4 addresses, for suggesting network-module addresses.
#pragma once

#include <QString>
#include <QStringList>

class CLocalHost {
public:
    // "???" when the name cannot be obtained.
    static QString Name();
    // Dotted IPv4 addresses of the interfaces that are up, loopback excluded, at most max.
    static QStringList Ipv4Addresses(int max = 16);
    // The first own address, or fallback when there is none.
    static QString FirstAddress(const QString& fallback);
    // The address with its last octet replaced by 0 ("192.168.3.17" -> "192.168.3.0").
    static QString NetworkOf(const QString& dotted);
};
