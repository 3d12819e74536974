// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CServiceProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "app/CServiceStatus.h"
#include "support/TestPaths.h"

CServiceProcess::CServiceProcess(const QString& home) : m_home(home)
{
    QDir().mkpath(home + QStringLiteral("/KorvalisControl"));
}

CServiceProcess::~CServiceProcess()
{
    Stop();
}

bool CServiceProcess::Start(const QStringList& args)
{
    return Launch(QStringList{QStringLiteral("--serve"), QStringLiteral("127.0.0.1:0")} + args, 1);
}

bool CServiceProcess::StartWithConfig(const QString& config, int controllers, const QStringList& args)
{
    return Launch(QStringList{QStringLiteral("--config"), config} + args, controllers);
}

bool CServiceProcess::Launch(const QStringList& args, int ports)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVALIS_HOME"), m_home);
    env.remove(QStringLiteral("JOURNAL_STREAM"));
    env.remove(QStringLiteral("RUNTIME_DIRECTORY"));
    m_process.setProcessEnvironment(env);
    // Each start logs into a file of its own, so a test can tell the runs apart.
    m_logPath = m_home + QStringLiteral("/korvalisd-%1.log").arg(++m_starts);
    m_process.setStandardErrorFile(m_logPath);
    m_process.start(TestPaths::Program("korvalisd"), QStringList{QStringLiteral("--status-dir"), StatusFolder()} + args);
    if (!m_process.waitForStarted(10000))
        return false;
    m_ports.clear();
    while (m_ports.size() < ports) {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(20000))
                return false;
        }
        bool ok = false;
        const uint port = QString::fromLocal8Bit(m_process.readLine()).trimmed().toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return false;
        m_ports.append(static_cast<quint16>(port));
    }
    return true;
}

QString CServiceProcess::Log() const
{
    QFile f(m_logPath);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

int CServiceProcess::CountLog(const QString& text) const
{
    int n = 0;
    for (const QString& line : Log().split(QLatin1Char('\n')))
        if (line.contains(text))
            ++n;
    return n;
}

int CServiceProcess::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    m_process.terminate();
    if (!m_process.waitForFinished(30000)) {
        m_process.kill();
        m_process.waitForFinished();
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QJsonObject CServiceProcess::Status(quint16 port) const
{
    const QList<QJsonObject> all = CServiceStatus::ReadAll({StatusFolder()});
    for (const QJsonObject& o : all)
        if (o.value(QStringLiteral("pid")).toInteger() == m_process.processId() &&
            (port == 0 || o.value(QStringLiteral("serve")).toString().endsWith(QStringLiteral(":%1").arg(port))))
            return o;
    return {};
}

bool CServiceProcess::WaitFor(const std::function<bool(const QJsonObject&)>& ready, int msecs) const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < msecs) {
        const QJsonObject s = Status();
        if (!s.isEmpty() && ready(s))
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    return false;
}
