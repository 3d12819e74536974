// SPDX-License-Identifier: GPL-3.0-or-later
#include "CBusShare.h"

#include <QTcpServer>
#include <QTcpSocket>

#include "ServiceLog.h"
#include "app/CKorvalisControlApp.h"
#include "link/CFrameCodec.h"
#include "link/CSWMBus.h"

namespace {
constexpr int kBootLoaderParameter = 5003;
constexpr int kModemDiagnosisParameter = 2056;
constexpr int kMaxClients = 16;
}  // namespace

CBusShare::CBusShare(CKorvalisControlApp& app, QObject* parent) : QObject(parent), m_app(app)
{
    m_hold.setSingleShot(true);
    connect(&m_hold, &QTimer::timeout, this, [this] {
        // A request without a poll (a write that waits for no acknowledgement) ends here.
        Release();
        Pump();
    });
}

CBusShare::~CBusShare()
{
    for (Client* c : m_clients) {
        c->socket->disconnect(this);
        delete c;
    }
}

bool CBusShare::Listen(const QHostAddress& address, quint16 port, QString& error)
{
    m_server = std::make_unique<QTcpServer>();
    if (!m_server->listen(address, port)) {
        error = m_server->errorString();
        return false;
    }
    connect(m_server.get(), &QTcpServer::newConnection, this, &CBusShare::OnNewConnection);
    return true;
}

quint16 CBusShare::Port() const
{
    return m_server ? m_server->serverPort() : 0;
}

QString CBusShare::Endpoint() const
{
    if (!m_server)
        return {};
    const QHostAddress a = m_server->serverAddress();
    const QString host = a.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]").arg(a.toString()) : a.toString();
    return QStringLiteral("%1:%2").arg(host).arg(Port());
}

QList<CBusShare::ClientInfo> CBusShare::Clients() const
{
    QList<ClientInfo> list;
    for (const Client* c : m_clients)
        list << c->info;
    return list;
}

bool CBusShare::NeedsRawLine(const CFrameSplitter::Frame& frame, uint8_t controllerAddress)
{
    if (frame.kind != CFrameSplitter::Kind::Write)
        return false;
    if (frame.device == BusByte::SmsModuleAddress)
        return frame.number == kModemDiagnosisParameter;
    return frame.device == controllerAddress && frame.number == kBootLoaderParameter;
}

void CBusShare::OnNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (m_clients.size() >= kMaxClients) {
            qCWarning(lcService).noquote() << "client" << socket->peerAddress().toString()
                                           << "turned away: already" << kMaxClients << "clients";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* c = new Client;
        c->socket = socket;
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        c->info.peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        c->info.since = QDateTime::currentDateTime();
        m_clients.append(c);
        connect(socket, &QTcpSocket::readyRead, this, [this, c] { OnReadyRead(c); });
        connect(socket, &QTcpSocket::disconnected, this, [this, c] { OnDisconnected(c); });
        qCInfo(lcService).noquote() << QStringLiteral("client %1 connected (%2 in all)").arg(c->info.peer).arg(m_clients.size());
        Q_EMIT ClientsChanged();
    }
}

void CBusShare::OnReadyRead(Client* client)
{
    if (!client->splitter.Append(client->socket->readAll()))
        qCWarning(lcService).noquote() << "client" << client->info.peer << "sent a frame without end; dropped it";
    QByteArray frame;
    while (client->splitter.Next(frame)) {
        // A client that floods frames without waiting for answers gets only the newest few.
        if (client->frames.size() >= 64)
            client->frames.removeFirst();
        client->frames.append(frame);
    }
    Pump();
}

void CBusShare::OnDisconnected(Client* client)
{
    const qsizetype i = m_clients.indexOf(client);
    if (i < 0)
        return;
    if (m_owner == client)
        Release();
    m_clients.removeAt(i);
    if (m_next > i)
        --m_next;
    qCInfo(lcService).noquote() << QStringLiteral("client %1 left after %2 transactions (%3 left)")
                                       .arg(client->info.peer)
                                       .arg(client->info.transactions)
                                       .arg(m_clients.size());
    client->socket->disconnect(this);
    client->socket->deleteLater();
    delete client;
    Q_EMIT ClientsChanged();
    Pump();
}

void CBusShare::Release()
{
    m_owner = nullptr;
    m_hold.stop();
}

void CBusShare::Pump()
{
    // Relaying blocks in the channel's own waits, which run no events; the guard is for the
    // signals emitted below.
    if (m_pumping)
        return;
    m_pumping = true;
    for (;;) {
        Client* c = m_owner;
        if (!c) {
            for (qsizetype k = 0; k < m_clients.size() && !c; ++k) {
                Client* candidate = m_clients[(m_next + k) % m_clients.size()];
                if (!candidate->frames.isEmpty()) {
                    c = candidate;
                    m_next = (m_clients.indexOf(candidate) + 1) % m_clients.size();
                }
            }
        }
        if (!c || c->frames.isEmpty())
            break;
        Handle(c, c->frames.takeFirst());
    }
    m_pumping = false;
    if (IsLineFree())
        Q_EMIT LineFreed();
}

void CBusShare::Handle(Client* client, const QByteArray& frame)
{
    const CFrameSplitter::Frame info = CFrameSplitter::Classify(frame);
    CSWMBus* bus = m_app.Bus();
    m_lastTraffic.start();
    if (info.kind == CFrameSplitter::Kind::Other)
        return;
    if (info.kind != CFrameSplitter::Kind::Poll) {
        // A request opens the client's transaction; the line stays its own until the answer.
        m_owner = client;
        m_hold.start(HoldLimitMs);
        client->refused = NeedsRawLine(info, static_cast<uint8_t>(m_app.currentConnection.deviceAddress));
        if (client->refused) {
            client->refusedDevice = info.device;
            ++m_refusals;
            qCWarning(lcService).noquote()
                << "client" << client->info.peer << "asked for"
                << (info.number == kBootLoaderParameter ? "the boot loader (firmware transfer)" : "the modem diagnosis")
                << "- refused: it needs the line to itself; stop the service and connect directly for it";
            return;
        }
        QByteArray none;
        if (bus && bus->RelayFrame(frame, false, none) == CSWMBus::NoChannel)
            Q_EMIT LinkFailed(QStringLiteral("the connection was closed by the other side"));
        return;
    }
    // A poll hands the line to the device: its answer ends the transaction.
    if (client->refused) {
        client->socket->write(CFrameSplitter::Refusal(client->refusedDevice, BusByte::SharedLineRefusal));
        client->refused = false;
    } else if (bus) {
        QByteArray answer;
        const uint16_t status = bus->RelayFrame(frame, true, answer);
        if (status == CSWMBus::Ok && !answer.isEmpty())
            client->socket->write(answer);
        else if (status == CSWMBus::NoChannel)
            Q_EMIT LinkFailed(QStringLiteral("the connection was closed by the other side"));
    }
    client->socket->flush();
    ++client->info.transactions;
    ++m_transactions;
    Release();
}
