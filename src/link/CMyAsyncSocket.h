// SPDX-License-Identifier: GPL-3.0-or-later
// TCP channel to a network module. The connected flag clears when the peer closes.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "link/CByteChannel.h"

class QTcpSocket;

class CMyAsyncSocket : public CByteChannel {
public:
    // Finds a network module for the address "0.0.0.0"; returns "0.0.0.0" when none answers.
    using DiscoveryFunction = std::function<QString(bool takeFirstAnswer)>;

    CMyAsyncSocket();
    ~CMyAsyncSocket() override;

    bool ConnectTo(const QString& address, uint16_t port, bool takeFirstAnswer);
    // Why the last ConnectTo failed (refused, unknown host, timeout, no module found).
    QString LastError() const { return m_lastError; }
    bool IsConnected() const;
    void Close();
    bool SetTimeout(int msecs)
    {
        m_timeout = msecs;
        return true;
    }
    int GetTimeout() const { return m_timeout; }
    // Waits up to the receive timeout for the TCP handshake to finish, so a refused
    // connection fails the connect instead of every later transaction.
    void SetConnectTimeout(int msecs) { m_connectTimeout = msecs; }

    int SendBytes(const char* bytes, int count);
    int SendString(const QByteArray& bytes) { return SendBytes(bytes.constData(), static_cast<int>(bytes.size())); }
    // Timed receive: up to size bytes within the receive timeout.
    int Receive(char* buffer, int size);
    int ReceiveUntil(char* buffer, int max, char terminator, bool byteWise);
    int ReceiveString(QByteArray& out, int max, char terminator, bool byteWise) override;
    // Reads and drops bytes until a full timeout passes without any.
    int Drain();

    // The discovery used for "0.0.0.0": CNetworkDiscovery unless a hook replaces it.
    static void SetDiscovery(DiscoveryFunction discovery);
    static QString Discover(bool takeFirstAnswer);

    // CByteChannel
    Kind ChannelKind() const override { return Kind::Socket; }
    bool IsUsable() const override { return IsConnected(); }
    int SendAll(const QByteArray& bytes) override { return SendString(bytes); }
    bool WaitForOutputQueueEmpty(int msecs) override;
    void SetReadTimeout(int msecs) override { SetTimeout(msecs); }
    int ReadTimeout() const override { return m_timeout; }
    void PurgeReceive() override;

private:
    bool WaitForData(int msecs);

    std::unique_ptr<QTcpSocket> m_socket;
    bool m_connected = false;
    int m_timeout = 0;
    int m_connectTimeout = 5000;
    QString m_lastError;
};
