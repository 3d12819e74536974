// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the bus protocol on a TCP endpoint, so the desktop program and korvalisctl reach
// the controller through the service as they would reach a network module. The line passes
// whole transactions: a client's request and its poll go out together and the answer goes
// back to that client before another client's frame is sent. Frames go on as they arrive,
// so each client keeps its own pacing. Work that needs the raw line (the boot loader, the
// SMS module's modem diagnosis) is refused with a code the program turns into a message.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "link/CFrameSplitter.h"

class CKorvalisControlApp;
class QTcpServer;
class QTcpSocket;

class CBusShare : public QObject {
    Q_OBJECT
public:
    // How long a client may hold the line between its request and its poll.
    static constexpr int HoldLimitMs = 1000;

    struct ClientInfo {
        QString peer;
        QDateTime since;
        qint64 transactions = 0;
    };

    explicit CBusShare(CKorvalisControlApp& app, QObject* parent = nullptr);
    ~CBusShare() override;

    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 Port() const;
    QString Endpoint() const;

    // No client is between its request and its poll: the service's own transactions may run.
    bool IsLineFree() const { return m_owner == nullptr; }
    // Milliseconds since the last relayed frame (for the link probe).
    qint64 IdleMs() const { return m_lastTraffic.isValid() ? m_lastTraffic.elapsed() : INT64_MAX; }
    QList<ClientInfo> Clients() const;
    qint64 Transactions() const { return m_transactions; }
    qint64 Refusals() const { return m_refusals; }

    // Whether a request needs the raw line and is refused (firmware start, modem diagnosis).
    static bool NeedsRawLine(const CFrameSplitter::Frame& frame, uint8_t controllerAddress);

Q_SIGNALS:
    void LineFreed();
    void ClientsChanged();
    // A relayed frame found the link gone.
    void LinkFailed(const QString& reason);

private:
    struct Client {
        QTcpSocket* socket = nullptr;
        CFrameSplitter splitter;
        QList<QByteArray> frames;
        // The next poll gets the refusal of this device instead of the device's answer.
        bool refused = false;
        uint8_t refusedDevice = 0;
        ClientInfo info;
    };

    void OnNewConnection();
    void OnReadyRead(Client* client);
    void OnDisconnected(Client* client);
    void Pump();
    // Handles one frame of the line's owner (or of a client that takes the line with it).
    void Handle(Client* client, const QByteArray& frame);
    void Release();

    CKorvalisControlApp& m_app;
    std::unique_ptr<QTcpServer> m_server;
    QList<Client*> m_clients;
    Client* m_owner = nullptr;
    qsizetype m_next = 0;  // round robin: the client looked at first when the line is free
    QTimer m_hold;
    QElapsedTimer m_lastTraffic;
    bool m_pumping = false;
    qint64 m_transactions = 0;
    qint64 m_refusals = 0;
};
