// SPDX-License-Identifier: GPL-3.0-or-later
// A connected TCP client of the emulator.
#pragma once

#include "CEmulatorLink.h"

class QTcpSocket;

class CTcpClientLink : public CEmulatorLink {
    Q_OBJECT
public:
    // Takes ownership of the socket.
    CTcpClientLink(QTcpSocket* socket, QObject* parent);
    ~CTcpClientLink() override;

    // Starts reading; until then the client waits its turn.
    void Start();
    bool IsGone() const;
    void Send(const QByteArray& bytes) override;
    void Close() override;
    // Ends the connection at once, unsent bytes and all.
    void Abort();
    QString Describe() const override;

private:
    void ReadAll();

    QTcpSocket* m_socket;
    bool m_started = false;
    bool m_closedSignalled = false;
};
