// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CMyAsyncSocket.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include "link/CNetworkDiscovery.h"

namespace {
CMyAsyncSocket::DiscoveryFunction& DiscoveryHook()
{
    static CMyAsyncSocket::DiscoveryFunction hook;
    return hook;
}
}  // namespace

CMyAsyncSocket::CMyAsyncSocket() = default;

CMyAsyncSocket::~CMyAsyncSocket()
{
    if (m_socket)
        m_socket->abort();
}

void CMyAsyncSocket::SetDiscovery(DiscoveryFunction discovery)
{
    DiscoveryHook() = std::move(discovery);
}

QString CMyAsyncSocket::Discover(bool takeFirstAnswer)
{
    const auto& hook = DiscoveryHook();
    return hook ? hook(takeFirstAnswer) : CNetworkDiscovery::DiscoverModule(takeFirstAnswer);
}

bool CMyAsyncSocket::ConnectTo(const QString& address, uint16_t port, bool takeFirstAnswer)
{
    Close();
    QString target = address.trimmed();
    m_lastError.clear();
    if (target == QLatin1String("0.0.0.0")) {
        target = Discover(takeFirstAnswer);
        if (target == QLatin1String("0.0.0.0") || target.isEmpty()) {
            m_lastError = QStringLiteral("no network module answered the search (the connection's address is automatic)");
            return false;
        }
    }
    if (m_socket)
        m_socket->abort();
    m_socket = std::make_unique<QTcpSocket>();
    m_socket->connectToHost(target, port);
    if (!m_socket->waitForConnected(m_connectTimeout)) {
        const QString where = QStringLiteral("%1:%2").arg(target).arg(port);
        switch (m_socket->error()) {
        case QAbstractSocket::ConnectionRefusedError:
            m_lastError = QStringLiteral("%1 refused the connection (nothing listens there)").arg(where);
            break;
        case QAbstractSocket::HostNotFoundError:
            m_lastError = QStringLiteral("the host \"%1\" is unknown or not a valid address").arg(target);
            break;
        case QAbstractSocket::SocketTimeoutError:
            m_lastError = QStringLiteral("%1 did not accept the connection within %2 ms").arg(where).arg(m_connectTimeout);
            break;
        default:
            m_lastError = QStringLiteral("%1: %2").arg(where, m_socket->errorString());
            break;
        }
        m_socket->abort();
        return false;
    }
    // Request and poll are separate small writes; with Nagle's algorithm the poll would wait
    // for the device's delayed acknowledgement of the request (about 40 ms per transaction).
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_connected = true;
    return true;
}

bool CMyAsyncSocket::IsConnected() const
{
    // A peer that closed is seen here without waiting for a notification.
    return m_connected && m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void CMyAsyncSocket::Close()
{
    m_connected = false;
}

int CMyAsyncSocket::SendBytes(const char* bytes, int count)
{
    if (!m_socket || count <= 0)
        return 0;
    const qint64 n = m_socket->write(bytes, count);
    if (n < 0)
        return 0;
    m_socket->flush();
    return static_cast<int>(n);
}

bool CMyAsyncSocket::WaitForData(int msecs)
{
    if (m_socket->bytesAvailable() > 0)
        return true;
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_connected = false;
        return false;
    }
    const bool ready = m_socket->waitForReadyRead(msecs);
    if (!ready && m_socket->state() != QAbstractSocket::ConnectedState)
        m_connected = false;
    return ready || m_socket->bytesAvailable() > 0;
}

int CMyAsyncSocket::Receive(char* buffer, int size)
{
    if (!m_socket || size <= 0)
        return 0;
    int received = 0;
    const QDeadlineTimer deadline(m_timeout);
    while (received < size) {
        const qint64 n = m_socket->read(buffer + received, size - received);
        if (n < 0)
            break;
        received += static_cast<int>(n);
        if (received >= size || deadline.hasExpired())
            break;
        if (!WaitForData(static_cast<int>(deadline.remainingTime())))
            break;
    }
    return received;
}

int CMyAsyncSocket::ReceiveUntil(char* buffer, int max, char terminator, bool byteWise)
{
    if (!byteWise)
        return Receive(buffer, max);
    int count = 0;
    while (count < max) {
        if (Receive(buffer + count, 1) != 1)
            break;
        if (buffer[count++] == terminator)
            break;
    }
    return count;
}

int CMyAsyncSocket::ReceiveString(QByteArray& out, int max, char terminator, bool byteWise)
{
    out.clear();
    if (max <= 0)
        return 0;
    QByteArray buffer(max, '\0');
    const int n = ReceiveUntil(buffer.data(), max, terminator, byteWise);
    out = buffer.left(n);
    return n;
}

int CMyAsyncSocket::Drain()
{
    char c = 0;
    while (Receive(&c, 1) == 1) {
    }
    return 0;
}

bool CMyAsyncSocket::WaitForOutputQueueEmpty(int msecs)
{
    if (!m_socket)
        return false;
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(msecs))
            return false;
    }
    return true;
}

void CMyAsyncSocket::PurgeReceive()
{
    if (m_socket)
        m_socket->readAll();
}
