// SPDX-License-Identifier: GPL-3.0-or-later
#include "CEmulator.h"

#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

#include "CDiscoveryResponder.h"
#include "CEmulatorState.h"
#include "CPtyLink.h"
#include "CTcpClientLink.h"
#include "base/CAppPaths.h"
#include "device/CBootLoader.h"
#include "device/CBusDevice.h"
#include "device/CControllerDefaults.h"
#include "device/CDeviceModel.h"
#include "device/CLiveController.h"
#include "device/CParameterListSeed.h"
#include "device/behaviours/CRecorderBehaviour.h"
#include "link/CFrameCodec.h"

namespace {
void Note(const QString& text)
{
    std::fprintf(stderr, "korvalis-emulator: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

constexpr int kSaveDelayMs = 1000;
}  // namespace

CEmulator::CEmulator(const CEmulatorOptions& options, QObject* parent) : QObject(parent), m_options(options)
{
    m_time.start();
    m_sendTimer.setSingleShot(true);
    m_sendTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sendTimer, &QTimer::timeout, this, [this]() { SendDue(); });
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, [this]() { SaveState(); });
}

CEmulator::~CEmulator()
{
    // The behaviours hook into the model: they go first, the last attached first.
    m_bootLoader.reset();
    m_live.reset();
}

uint16_t CEmulator::TcpPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

bool CEmulator::Start(QString& error)
{
    m_model = std::make_unique<CDeviceModel>(m_options.device);
    CDeviceModel& model = *m_model;
    model.SetLogEnabled(false);  // a demo runs for days; the observer below is enough
    // The shipped parameter lists give a configuration a real controller would have.
    const QString folder = m_options.listFolder.isEmpty() ? CAppPaths::ListFolder() : m_options.listFolder;
    const QStringList missing = CParameterListSeed::SeedFromFolder(model, folder);
    for (const QString& list : missing)
        Note(QStringLiteral("no parameter list %1; built-in defaults only").arg(list));
    CControllerDefaults::Apply(model.Controller());
    if (!m_options.stateFile.isEmpty()) {
        QString warning;
        if (!CEmulatorState::Load(m_options.stateFile, model, m_options.addressGiven, warning)) {
            error = warning;
            return false;
        }
        if (!warning.isEmpty())
            Note(warning);
    }
    CLiveController::Settings live;
    live.timeScale = m_options.timeScale;
    live.seed = m_options.faults.seed;
    live.restartMs = m_options.restartMs;
    m_live = std::make_unique<CLiveController>(model, live);
    auto recorder = std::make_unique<CRecorderBehaviour>(m_live->Clock(), live.seed);
    if (m_options.historyRecords > 0)
        recorder->Fill(model.Controller(), m_options.historyRecords);
    m_live->Add(std::move(recorder));
    // Parameter 5003 hands the line to the boot loader for a firmware transfer.
    m_bootLoader = std::make_unique<CBootLoader>(model);
    model.SetFaults(m_options.faults);

    model.onAccess = [this](const CDeviceModel::Access& a) {
        const bool write = a.kind != CDeviceModel::Access::Read;
        if (write)
            ScheduleSave();
        if (!m_options.verbose)
            return;
        const char device = a.address == BusByte::SmsModuleAddress && m_model->SmsModule() ? 'S' : 'C';
        QString what;
        if (a.kind == CDeviceModel::Access::WriteText)
            what = QStringLiteral("write-text %1 = %2").arg(a.number).arg(QString::fromLatin1(a.text.toHex()));
        else
            what = QStringLiteral("%1 %2 = %3").arg(write ? "write" : "read").arg(a.number).arg(a.value);
        Note(QStringLiteral("%1 %2").arg(QLatin1Char(device)).arg(what));
    };

    if (m_options.pty) {
        m_pty = new CPtyLink(this);
        if (!m_pty->Open(error))
            return false;
        connect(m_pty, &CEmulatorLink::Received, this, [this](const QByteArray& b) { OnReceived(m_pty, b); });
        connect(m_pty, &CEmulatorLink::Closed, this, [this]() { OnLinkClosed(m_pty); });
        m_readyLine = m_pty->TerminalPath();
    }
    m_stallTimer.setSingleShot(true);
    connect(&m_stallTimer, &QTimer::timeout, this, [this]() { DropStalledClient(); });
    if (m_options.port >= 0) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, [this]() { OnNewConnection(); });
        if (!m_server->listen(QHostAddress(m_options.listen), static_cast<quint16>(m_options.port))) {
            error = QStringLiteral("cannot listen on %1 port %2: %3")
                        .arg(m_options.listen)
                        .arg(m_options.port)
                        .arg(m_server->errorString());
            return false;
        }
        if (m_readyLine.isEmpty())
            m_readyLine = QString::number(m_server->serverPort());
        else
            Note(QStringLiteral("also listening on TCP port %1").arg(m_server->serverPort()));
    }
    if (m_options.discoveryPort > 0) {
        m_discovery = new CDiscoveryResponder(TcpPort() ? TcpPort() : 10001, this);
        QString warning;
        if (!m_discovery->Start(static_cast<uint16_t>(m_options.discoveryPort), warning))
            Note(warning);  // the links still work; only discovery will not find it
    }
    return true;
}

void CEmulator::Stop()
{
    m_saveTimer.stop();
    SaveState();
}

void CEmulator::OnNewConnection()
{
    while (m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        auto* link = new CTcpClientLink(socket, this);
        connect(link, &CEmulatorLink::Received, this, [this, link](const QByteArray& b) { OnReceived(link, b); });
        connect(link, &CEmulatorLink::Closed, this, [this, link]() { OnLinkClosed(link); });
        if (m_client) {
            if (m_options.verbose)
                Note(QStringLiteral("%1 waits for the link").arg(link->Describe()));
            m_waiting.push_back(link);
        } else {
            Activate(link);
        }
    }
}

void CEmulator::Activate(CTcpClientLink* link)
{
    m_stallTimer.stop();
    m_client = link;
    m_model->ResetLink();
    m_rxDoneMs = m_txFreeMs = 0;
    if (m_options.verbose)
        Note(QStringLiteral("%1 connected").arg(link->Describe()));
    link->Start();
}

int CEmulator::PacingBaud() const
{
    if (m_options.baud < 0)
        return m_pty ? m_pty->LineBaud() : 0;
    // The boot loader talks at its own speed, as the PC does while it transfers firmware.
    if (m_options.baud > 0 && m_bootLoader && m_bootLoader->LineBaud() > 0)
        return static_cast<int>(m_bootLoader->LineBaud());
    return m_options.baud;
}

void CEmulator::OnReceived(CEmulatorLink* link, const QByteArray& bytes)
{
    if (link != m_client && link != m_pty)
        return;
    const double now = static_cast<double>(m_time.elapsed());
    const int baud = PacingBaud();
    if (baud > 0)
        m_rxDoneMs = std::max(m_rxDoneMs, now) + static_cast<double>(bytes.size()) * 10000.0 / baud;
    const QByteArray answer = m_model->Feed(bytes);
    if (!answer.isEmpty())
        Enqueue(link, answer, m_model->LinkClosed());
    // Further bytes of the same frame do not restart the clock: a client that trickles
    // holds the line as much as one that stops.
    if (link != m_client || !m_model->HasPartialFrame())
        m_stallTimer.stop();
    else if (!m_stallTimer.isActive())
        m_stallTimer.start(m_options.stallLimitMs);
}

void CEmulator::DropStalledClient()
{
    if (!m_client || !m_model->HasPartialFrame())
        return;
    Note(QStringLiteral("dropping %1: it left a frame unfinished for %2 ms%3")
             .arg(m_client->Describe())
             .arg(m_options.stallLimitMs)
             .arg(m_waiting.empty() ? QString() : QStringLiteral(" while %1 waited").arg(m_waiting.size())));
    m_client->Abort();  // its disconnect lets the next client in
}

void CEmulator::Enqueue(CEmulatorLink* link, const QByteArray& answer, bool closeAfter)
{
    const double now = static_cast<double>(m_time.elapsed());
    const int baud = PacingBaud();
    double due = now + m_options.faults.delayMs;
    if (baud > 0) {
        // The answer starts once the request is in (plus the delay) and the line is free,
        // and is there when its last byte would have arrived.
        const double start = std::max(std::max(m_rxDoneMs, now) + m_options.faults.delayMs, m_txFreeMs);
        m_txFreeMs = start + static_cast<double>(answer.size()) * 10000.0 / baud;
        due = m_txFreeMs;
    }
    if (!m_out.empty())
        due = std::max(due, m_out.back().dueMs);  // never overtake an earlier answer
    m_out.push_back({link, due, answer, closeAfter});
    SendDue();
}

void CEmulator::SendDue()
{
    const double now = static_cast<double>(m_time.elapsed());
    while (!m_out.empty() && m_out.front().dueMs <= now) {
        Outgoing o = std::move(m_out.front());
        m_out.pop_front();
        if (!o.link)
            continue;
        o.link->Send(o.bytes);
        if (o.closeAfter) {
            Note(QStringLiteral("closing %1 after %2 answers, as asked")
                     .arg(o.link->Describe())
                     .arg(m_options.faults.closeAfterFrames));
            o.link->Close();
        }
    }
    if (!m_out.empty())
        m_sendTimer.start(static_cast<int>(std::ceil(m_out.front().dueMs - now)));
}

void CEmulator::OnLinkClosed(CEmulatorLink* link)
{
    for (Outgoing& o : m_out)
        if (o.link == link)
            o.link = nullptr;
    if (link == m_pty) {
        Note(QStringLiteral("the pseudo-terminal is closed"));
        m_pty->deleteLater();
        m_pty = nullptr;
        m_model->ResetLink();
        if (!m_server)
            Q_EMIT Finished();
        return;
    }
    if (m_options.verbose)
        Note(QStringLiteral("%1 disconnected").arg(qobject_cast<CTcpClientLink*>(link)->Describe()));
    link->deleteLater();
    if (link != m_client)
        return;  // a waiting client gave up; it is skipped below
    m_client = nullptr;
    m_model->ResetLink();
    while (!m_waiting.empty()) {
        QPointer<CTcpClientLink> next = m_waiting.front();
        m_waiting.pop_front();
        if (next && !next->IsGone()) {
            Activate(next);
            return;
        }
        if (next)
            next->deleteLater();
    }
}

void CEmulator::ScheduleSave()
{
    if (!m_options.stateFile.isEmpty() && !m_saveTimer.isActive())
        m_saveTimer.start();
}

void CEmulator::SaveState()
{
    if (m_options.stateFile.isEmpty() || !m_model)
        return;
    QString error;
    const auto skip = [this](int number, bool sms) { return m_live && m_live->IsVolatile(number, sms); };
    if (!CEmulatorState::Save(m_options.stateFile, *m_model, skip, error))
        Note(error);
}
