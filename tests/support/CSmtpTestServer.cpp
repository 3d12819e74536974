// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CSmtpTestServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>

#include "support/TestPaths.h"

QString CSmtpTestServer::Python() {
    return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3")
                                             : QStringLiteral("python3");
}

bool CSmtpTestServer::Available() {
    QProcess probe;
    probe.start(Python(), {"-c", "import aiosmtpd"});
    return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

CSmtpTestServer::CSmtpTestServer(const QStringList& options) {
    m_process.setProgram(Python());
    m_process.setArguments(QStringList{TestPaths::SourceDir() + "/tests/mail/smtp_server.py"} +
                           options);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    while (m_port == 0 && m_process.waitForReadyRead(20000)) Collect();
}

CSmtpTestServer::~CSmtpTestServer() {
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(10000)) m_process.kill();
    m_process.waitForFinished(5000);
}

QJsonObject CSmtpTestServer::TakeMessage(int msecs) {
    QDeadlineTimer deadline(msecs);
    Collect();  // what arrived while the test ran the event loop
    while (m_messages.isEmpty() && !deadline.hasExpired() &&
           m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        Collect();
    return m_messages.isEmpty() ? QJsonObject() : m_messages.takeFirst();
}

int CSmtpTestServer::Pending() {
    Collect();
    return static_cast<int>(m_messages.size());
}

void CSmtpTestServer::Collect() {
    m_buffer += m_process.readAllStandardOutput();
    qsizetype nl;
    while ((nl = m_buffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_buffer.left(nl).trimmed();
        m_buffer.remove(0, nl + 1);
        if (line.startsWith("PORT "))
            m_port = line.mid(5).toInt();
        else if (line.startsWith('{'))
            m_messages.append(QJsonDocument::fromJson(line).object());
    }
}
