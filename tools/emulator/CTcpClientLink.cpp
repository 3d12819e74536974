// SPDX-License-Identifier: GPL-3.0-or-later
#include "CTcpClientLink.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {
// What one read takes from the socket; the device model drops anything that is not a frame.
constexpr qint64 kChunk = 4096;
}

CTcpClientLink::CTcpClientLink(QTcpSocket* socket, QObject* parent) : CEmulatorLink(parent), m_socket(socket)
{
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // A client that floods the port must not make the emulator buffer without limit.
    m_socket->setReadBufferSize(64 * 1024);
    connect(m_socket, &QTcpSocket::readyRead, this, [this]() {
        if (m_started)
            ReadAll();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, [this]() {
        if (!m_closedSignalled) {
            m_closedSignalled = true;
            Q_EMIT Closed();
        }
    });
}

CTcpClientLink::~CTcpClientLink() = default;

void CTcpClientLink::Start()
{
    m_started = true;
    ReadAll();
    if (IsGone() && !m_closedSignalled) {
        m_closedSignalled = true;
        Q_EMIT Closed();
    }
}

bool CTcpClientLink::IsGone() const
{
    return m_socket->state() != QAbstractSocket::ConnectedState;
}

void CTcpClientLink::ReadAll()
{
    while (m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(kChunk);
        if (bytes.isEmpty())
            break;
        Q_EMIT Received(bytes);
    }
}

void CTcpClientLink::Send(const QByteArray& bytes)
{
    if (!IsGone())
        m_socket->write(bytes);
}

void CTcpClientLink::Close()
{
    m_socket->disconnectFromHost();
}

void CTcpClientLink::Abort()
{
    m_socket->abort();
}

QString CTcpClientLink::Describe() const
{
    return QStringLiteral("TCP client %1:%2").arg(m_socket->peerAddress().toString()).arg(m_socket->peerPort());
}
