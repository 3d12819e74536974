// SPDX-License-Identifier: GPL-3.0-or-later
#include "CKorvalisService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "CAlertRunner.h"
#include "CBusShare.h"
#include "CDownloadRunner.h"
#include "CLinkKeeper.h"
#include "ServiceLog.h"
#include "app/CKorvalisControlApp.h"
#include "app/CEmailAlerts.h"
#include "app/CServiceStatus.h"

namespace {
// Status changes come in bursts (a client's connect sequence): one write per burst.
constexpr int kStatusDelayMs = 500;
}  // namespace

CKorvalisService::CKorvalisService(CKorvalisControlApp& app, const CConnection& connection, const Options& options,
                                   QObject* parent)
    : QObject(parent),
      m_app(app),
      m_options(options),
      m_link(std::make_unique<CLinkKeeper>(app, connection)),
      m_share(std::make_unique<CBusShare>(app)),
      m_alerts(std::make_unique<CAlertRunner>(app)),
      m_download(std::make_unique<CDownloadRunner>(app)),
      m_started(QDateTime::currentDateTime().toString(Qt::ISODate))
{
    m_statusTimer.setSingleShot(true);
    connect(&m_statusTimer, &QTimer::timeout, this, &CKorvalisService::WriteStatus);

    m_link->SetProbeInterval(options.probeIntervalMs);
    m_link->SetLineCheck([this] { return m_share->IsLineFree(); }, [this] { return m_share->IdleMs(); });
    connect(m_share.get(), &CBusShare::LinkFailed, m_link.get(), &CLinkKeeper::LinkLost);
    connect(m_share.get(), &CBusShare::ClientsChanged, this, &CKorvalisService::ScheduleStatus);
    connect(m_link.get(), &CLinkKeeper::StateChanged, this, &CKorvalisService::ScheduleStatus);

    m_alerts->SetCycleInterval(options.alertIntervalMs);
    m_alerts->SetRetryDelay(options.retryDelayMs);
    m_alerts->SetLineCheck([this] { return m_share->IsLineFree(); });
    const QString runtime = qEnvironmentVariable("RUNTIME_DIRECTORY").section(QLatin1Char(':'), 0, 0);
    if (!runtime.isEmpty())
        m_alerts->SetLockFolders({runtime});
    if (options.alerts)
        connect(m_link.get(), &CLinkKeeper::LinkUp, m_alerts.get(), &CAlertRunner::OnLinkUp);
    connect(m_alerts.get(), &CAlertRunner::Changed, this, &CKorvalisService::ScheduleStatus);

    m_download->SetInterval(options.downloadIntervalMs);
    m_download->SetLineCheck([this] { return m_share->IsLineFree(); });
    connect(m_download.get(), &CDownloadRunner::Changed, this, &CKorvalisService::ScheduleStatus);
    connect(m_link.get(), &CLinkKeeper::LinkUp, m_download.get(), &CDownloadRunner::OnLinkUp);
}

CKorvalisService::~CKorvalisService()
{
    Stop();
}

bool CKorvalisService::Start(QString& error)
{
    if (!m_share->Listen(m_options.serveAddress, m_options.servePort, error)) {
        error = QStringLiteral("cannot serve on %1:%2: %3")
                    .arg(m_options.serveAddress.toString())
                    .arg(m_options.servePort)
                    .arg(error);
        return false;
    }
    const QString folder = m_options.statusFolder.isEmpty() ? CServiceStatus::OwnFolder() : m_options.statusFolder;
    m_statusPath = QDir(folder).filePath(CServiceStatus::FileName(Port()));
    qCInfo(lcService).noquote() << QStringLiteral("serving the bus on %1 for %2%3%4")
                                       .arg(m_share->Endpoint(),
                                            m_options.name.isEmpty() ? QString() : QStringLiteral("\"%1\" (").arg(m_options.name),
                                            m_link->Where() + (m_options.name.isEmpty() ? QString() : QStringLiteral(")")),
                                            m_options.alerts ? QString() : QStringLiteral(" (alerts off)"));
    WriteStatus();
    // The link comes up from the event loop, so the caller can announce the port first.
    QTimer::singleShot(0, m_link.get(), &CLinkKeeper::Start);
    return true;
}

quint16 CKorvalisService::Port() const
{
    return m_share->Port();
}

void CKorvalisService::Stop()
{
    if (m_statusPath.isEmpty())
        return;
    m_alerts->Stop();
    m_app.EmailAlerts().WaitForIdle(10000);
    QFile::remove(m_statusPath);
    m_statusPath.clear();
    if (m_app.IsConnected())
        m_app.Disconnect();
    qCInfo(lcService) << "stopped";
}

void CKorvalisService::ScheduleStatus()
{
    if (!m_statusTimer.isActive())
        m_statusTimer.start(kStatusDelayMs);
}

void CKorvalisService::WriteStatus()
{
    if (m_statusPath.isEmpty())
        return;
    QJsonObject link{{QStringLiteral("where"), m_link->Where()},
                     {QStringLiteral("state"), QLatin1String(CLinkKeeper::StateName(m_link->GetState()))},
                     {QStringLiteral("since"), m_link->Since().toString(Qt::ISODate)},
                     {QStringLiteral("error"), m_link->LastError()}};
    if (m_link->GetState() == CLinkKeeper::State::Up) {
        link.insert(QStringLiteral("model"), m_app.GetModelName());
        link.insert(QStringLiteral("firmware"), m_app.FirmwareVersion());
        link.insert(QStringLiteral("serial"), static_cast<qint64>(m_app.SerialNumber()));
    }
    QJsonArray clients;
    for (const CBusShare::ClientInfo& c : m_share->Clients())
        clients.append(QJsonObject{{QStringLiteral("peer"), c.peer},
                                   {QStringLiteral("since"), c.since.toString(Qt::ISODate)},
                                   {QStringLiteral("transactions"), c.transactions}});
    QJsonObject alerts = m_options.alerts ? m_alerts->Status()
                                          : QJsonObject{{QStringLiteral("sender"), false},
                                                        {QStringLiteral("why"), QStringLiteral("switched off (--no-alerts)")}};
    QJsonObject status{{QStringLiteral("pid"), QCoreApplication::applicationPid()},
                             {QStringLiteral("started"), m_started},
                             {QStringLiteral("updated"), QDateTime::currentDateTime().toString(Qt::ISODate)},
                             {QStringLiteral("serve"), m_share->Endpoint()},
                             {QStringLiteral("link"), link},
                             {QStringLiteral("clients"), clients},
                             {QStringLiteral("transactions"), m_share->Transactions()},
                             {QStringLiteral("refused"), m_share->Refusals()},
                             {QStringLiteral("alerts"), alerts},
                             {QStringLiteral("download"), m_download->Status()}};
    if (!m_options.name.isEmpty())
        status.insert(QStringLiteral("connection"), m_options.name);
    QString error;
    if (!CServiceStatus::Write(m_statusPath, status, &error))
        qCWarning(lcService).noquote() << QStringLiteral("cannot write the status file %1: %2").arg(m_statusPath, error);
}
