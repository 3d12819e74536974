// SPDX-License-Identifier: GPL-3.0-or-later
// Answers the network-module discovery broadcast (UDP, port 30718) like a network module,
// so a connection with the automatic address finds the emulator.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>

class QUdpSocket;

class CDiscoveryResponder : public QObject {
    Q_OBJECT
public:
    CDiscoveryResponder(uint16_t tcpPort, QObject* parent);

    bool Start(uint16_t udpPort, QString& error);
    uint16_t Port() const;

    // The query is 18 bytes: 00 00 00 F8 and 14 zero bytes.
    static bool IsQuery(const QByteArray& datagram);
    // Answer: 00 00 00 F9, the TCP port (big-endian), a made-up hardware address.
    QByteArray Answer() const;

private:
    void OnReadyRead();

    QUdpSocket* m_socket;
    uint16_t m_tcpPort;
};
