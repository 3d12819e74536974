// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' own SMTP server (tests/mail/smtp_server.py, needs python3-aiosmtpd) as a child
// process on loopback. It ends when its input closes, so it never outlives the test:
//     CSmtpTestServer server({});          // or {"--cert", c, "--key", k, "--user", u, ...}
//     QVERIFY2(server.Port() > 0, qPrintable(server.Errors()));
//     ... send to 127.0.0.1:server.Port() ...
//     const QJsonObject m = server.TakeMessage();   // from, to, subject, body, tls, login
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

class CSmtpTestServer {
public:
    explicit CSmtpTestServer(const QStringList& options);
    ~CSmtpTestServer();
    CSmtpTestServer(const CSmtpTestServer&) = delete;
    CSmtpTestServer& operator=(const CSmtpTestServer&) = delete;

    // The python interpreter, and whether it has the SMTP module the server needs.
    static QString Python();
    static bool Available();

    int Port() const { return m_port; }
    QString Errors() { return QString::fromUtf8(m_process.readAllStandardError()); }
    // The next message received, waiting at most msecs; empty when none came.
    QJsonObject TakeMessage(int msecs = 20000);
    // Messages received and not yet taken.
    int Pending();

private:
    void Collect();

    QProcess m_process;
    QByteArray m_buffer;
    QList<QJsonObject> m_messages;
    int m_port = 0;
};
