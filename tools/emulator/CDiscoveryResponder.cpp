// SPDX-License-Identifier: GPL-3.0-or-later
#include "CDiscoveryResponder.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

CDiscoveryResponder::CDiscoveryResponder(uint16_t tcpPort, QObject* parent)
    : QObject(parent), m_socket(new QUdpSocket(this)), m_tcpPort(tcpPort)
{
    connect(m_socket, &QUdpSocket::readyRead, this, [this]() { OnReadyRead(); });
}

bool CDiscoveryResponder::Start(uint16_t udpPort, QString& error)
{
    // Shared: several emulators (and a real module's tools) may listen on the same port;
    // the any-address receives broadcasts to 255.255.255.255.
    if (!m_socket->bind(QHostAddress::AnyIPv4, udpPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        error = QStringLiteral("cannot listen for discovery on UDP port %1: %2").arg(udpPort).arg(m_socket->errorString());
        return false;
    }
    return true;
}

uint16_t CDiscoveryResponder::Port() const
{
    return m_socket->localPort();
}

bool CDiscoveryResponder::IsQuery(const QByteArray& d)
{
    return d.size() >= 4 && d[0] == 0 && d[1] == 0 && d[2] == 0 && static_cast<uint8_t>(d[3]) == 0xF8;
}

QByteArray CDiscoveryResponder::Answer() const
{
    QByteArray a(4, '\0');
    a[3] = static_cast<char>(0xF9);
    a.append(static_cast<char>(m_tcpPort >> 8));
    a.append(static_cast<char>(m_tcpPort & 0xFF));
    // Locally administered address (second-lowest bit of the first byte set): no vendor's.
    a.append(QByteArray::fromHex("024B56000001"));
    a.append(QByteArray(18, '\0'));
    return a;
}

void CDiscoveryResponder::OnReadyRead()
{
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram d = m_socket->receiveDatagram(256);
        if (!d.isValid() || !IsQuery(d.data()))
            continue;
        m_socket->writeDatagram(Answer(), d.senderAddress(), static_cast<quint16>(d.senderPort()));
    }
}
