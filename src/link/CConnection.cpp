// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CConnection.h"

#include <algorithm>

#include "lang/CLanguage.h"
#include "link/CArchive.h"

CConnection::CConnection() : name(Tr(188)) {}

uint16_t CConnection::EffectiveTimeout() const
{
    return static_cast<uint16_t>(std::clamp<uint32_t>(replyTimeout, 100, 65535));
}

bool CConnection::Serialize(CArchive& ar)
{
    bool ok = ar.Transfer(comPort) && ar.Transfer(baudRate) && ar.Transfer(deviceAddress) &&
              ar.Transfer(type) && ar.Transfer(replyTimeout) && ar.Transfer(name) &&
              ar.Transfer(networkAddress) && ar.Transfer(tcpPort);
    if (ok && hasSmsField) {
        uint8_t sms = smsModule ? 1 : 0;
        ok = ar.Transfer(sms);
        smsModule = sms != 0;
    }
    return ok;
}

namespace {
bool HasControlCharacters(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    return false;
}
}  // namespace

bool CConnection::IsPlausible() const
{
    return type <= Tcp && comPort <= 255 && baudRate <= 4000000 && deviceAddress <= 34 && replyTimeout <= 999999999 &&
           tcpPort <= 65535 && !HasControlCharacters(name) && !HasControlCharacters(networkAddress);
}

QString CConnection::GetBaudText() const
{
    return type == Serial ? QString::number(baudRate) : QStringLiteral("---");
}

QString CConnection::GetTypeText() const
{
    if (type == Serial)
        return Tr(195);
    if (type == Tcp)
        return Tr(272);
    return {};
}

QString CConnection::GetWhereText() const
{
    if (type == Tcp) {
        const QString address = networkAddress == QLatin1String("0.0.0.0") ? QStringLiteral("<AUTO>") : networkAddress;
        return address + QLatin1Char(':') + QString::number(tcpPort);
    }
    return QStringLiteral("COM") + QString::number(comPort);
}
