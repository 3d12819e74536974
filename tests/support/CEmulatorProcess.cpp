// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CEmulatorProcess.h"

#include <QFile>
#include <QRegularExpression>

#include "support/TestPaths.h"

CEmulatorProcess::CEmulatorProcess() = default;

CEmulatorProcess::~CEmulatorProcess()
{
    Stop();
}

bool CEmulatorProcess::Start(const QStringList& args)
{
    return Launch(args, false);
}

bool CEmulatorProcess::StartPty(const QStringList& args)
{
    return Launch(args, true);
}

bool CEmulatorProcess::Launch(QStringList args, bool pty)
{
    const auto has = [&args](const char* option) {
        for (const QString& a : args)
            if (a == QLatin1String(option) || a.startsWith(QLatin1String(option) + QLatin1Char('=')))
                return true;
        return false;
    };
    if (pty)
        args << QStringLiteral("--pty");
    else if (!has("--port"))
        args << QStringLiteral("--port") << QStringLiteral("0");
    if (!has("--listen"))
        args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1");
    if (!has("--discovery-port"))
        args << QStringLiteral("--discovery-port") << QStringLiteral("0");
    args << QStringLiteral("--die-with-parent");
    m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("stderr.txt")));
    m_process.start(TestPaths::Program("korvalis-emulator"), args);
    if (!m_process.waitForStarted(10000))
        return false;
    // The ready line comes once the links are open; a generous bound for a loaded machine.
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(20000))
            return false;
    }
    const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    if (pty) {
        m_terminal = line;
        return m_terminal.startsWith(QLatin1Char('/'));
    }
    bool ok = false;
    m_port = static_cast<uint16_t>(line.toUInt(&ok));
    return ok && m_port != 0;
}

QString CEmulatorProcess::ErrorOutput() const
{
    QFile f(m_dir.filePath(QStringLiteral("stderr.txt")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(f.readAll());
}

int CEmulatorProcess::CountAccesses(const QString& kind, int number) const
{
    const QRegularExpression line(QStringLiteral("^korvalis-emulator: [CS] %1 %2 = ").arg(kind).arg(number),
                                  QRegularExpression::MultilineOption);
    int count = 0;
    auto it = line.globalMatch(ErrorOutput());
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

int CEmulatorProcess::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}
