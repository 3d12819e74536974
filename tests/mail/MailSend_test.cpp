// SPDX-License-Identifier: GPL-3.0-or-later
// The alert e-mail path end to end: CEmailAlerts writes the message file and starts
// korvalis-mailsend, which delivers to a real SMTP server on loopback.
#include <sys/stat.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

#include "support/CSmtpTestServer.h"
#include "support/TestPaths.h"
#include "app/CEmailAlerts.h"
#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"

namespace {

using SmtpServer = CSmtpTestServer;

QStringList Strings(const QJsonValue& v)
{
    QStringList out;
    for (const QJsonValue& x : v.toArray())
        out.append(x.toString());
    return out;
}

}  // namespace

class MailSendTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_cert, m_key;

    CEmail Alert(const QString& subject) const
    {
        CEmail rule;
        rule.recipients = {"keeper@example.org", "second@example.net"};
        rule.subject = subject;
        rule.text = QString::fromLatin1("Tank report\nTemperature [SENSOR1], alarm: [ALARM]\n\xc4rger");
        rule.type = CEmail::TestOnly;
        return rule;
    }

    void UseServer(CKorvalisControlApp& app, int port)
    {
        CEmailSettings& s = app.EmailSettings();
        s.smtpServer = "127.0.0.1";
        s.port = static_cast<uint16_t>(port);
        s.senderAddress = "tank@example.org";
        app.dataFolder = m_dir.path();
        app.EmailAlerts().SetMailerProgram(TestPaths::Program("korvalis-mailsend"));
    }

    static bool Send(CKorvalisControlApp& app, const CEmail& rule)
    {
        CEmailAlerts& alerts = app.EmailAlerts();
        alerts.SendTestMail(rule);
        return alerts.WaitForIdle(90000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(CLanguage::Current().Load(TestPaths::ShareDir() + "/lang/English.lang"));
        QVERIFY2(CSmtpTestServer::Available(), "python3-aiosmtpd is needed (scripts/install-deps)");
        QVERIFY(QFile::exists(TestPaths::Program("korvalis-mailsend")));
    }

    void argumentVectorKeepsEveryFieldWhole()
    {
        CEmailSettings s;
        s.senderAddress = "tank@example.org";
        s.smtpServer = "mail.example.org";
        s.port = 587;
        CEmail rule;
        rule.recipients = {"a@b.example", "c@d.example"};
        rule.subject = "\"; touch /tmp/x; \" $(id)";
        const QStringList plain = CEmailAlerts::MailerArguments(s, rule, "/data/My Mail.txt");
        QCOMPARE(plain, (QStringList{"-v", "-starttls", "+cc", "+bc", "-q", "-f", "tank@example.org", "-smtp",
                                     "mail.example.org", "-port", "587", "-t", "a@b.example,c@d.example", "-sub",
                                     "\"; touch /tmp/x; \" $(id)", "-M", "", "-attach", "/data/My Mail.txt"}));
        s.authentication = true;
        s.userName = "tank user";
        s.password = "se cret\"";
        const QStringList auth = CEmailAlerts::MailerArguments(s, rule, "/m");
        QCOMPARE(auth.mid(plain.size()), (QStringList{"-auth", "-user", "tank user", "-pass-stdin"}));
        QVERIFY(!auth.join(' ').contains("se cret"));
    }

    void unsafeFieldsAreRefusedBeforeAnythingStarts()
    {
        CEmailSettings s;
        s.senderAddress = "tank@example.org";
        s.smtpServer = "mail.example.org";
        CEmail rule;
        rule.recipients = {"a@b.example"};
        QVERIFY(CEmailAlerts::CheckSendable(s, rule));
        CEmail r = rule;
        r.subject = "Alarm\r\nBcc: victim@example.org";
        QVERIFY(!CEmailAlerts::CheckSendable(s, r));
        r = rule;
        r.recipients = {"a@b.example", "-oProxyCommand=x@y"};
        QVERIFY(!CEmailAlerts::CheckSendable(s, r));
        r.recipients = {};
        QVERIFY(!CEmailAlerts::CheckSendable(s, r));
        CEmailSettings bad = s;
        bad.smtpServer = "host/../x?y";
        QVERIFY(!CEmailAlerts::CheckSendable(bad, rule));
        bad = s;
        bad.authentication = true;
        bad.password = "pw\nQUIT";
        QVERIFY(!CEmailAlerts::CheckSendable(bad, rule));
        bad = s;
        bad.senderAddress = "tank";
        QVERIFY(!CEmailAlerts::CheckSendable(bad, rule));

        // Refused at once: recorded, nothing started.
        CKorvalisControlApp app;
        app.EmailSettings() = s;
        app.dataFolder = m_dir.path();
        r = rule;
        r.subject = "a\nb";
        QVERIFY(!app.EmailAlerts().SendAlertMail(r));
        QVERIFY(!app.EmailAlerts().IsBusy());
        QVERIFY(app.EmailAlerts().LastResult().valid);
        QVERIFY(!app.EmailAlerts().LastResult().ok);
    }

    void plainServerReceivesTheAlertVerbatim()
    {
        SmtpServer server({});
        QVERIFY2(server.Port() > 0, qPrintable(server.Errors()));
        CKorvalisControlApp app;
        UseServer(app, server.Port());
        const QString marker = m_dir.filePath("x");
        const QString subject = QStringLiteral("\"; touch %1; \" $(touch %1) `touch %1`").arg(marker);
        QVERIFY(Send(app, Alert(subject)));
        QVERIFY2(app.EmailAlerts().LastResult().ok, qPrintable(app.EmailAlerts().LastResult().reason));

        const QJsonObject m = server.TakeMessage();
        QCOMPARE(m["from"].toString(), QStringLiteral("tank@example.org"));
        QCOMPARE(Strings(m["to"]), (QStringList{"keeper@example.org", "second@example.net"}));
        QCOMPARE(m["subject"].toString(), subject);
        QCOMPARE(m["header_to"].toString(), QStringLiteral("keeper@example.org, second@example.net"));
        QVERIFY(!m["tls"].toBool());
        // Not connected: the placeholders stay; the letters arrive as they were written.
        QCOMPARE(m["body"].toString(),
                 QString::fromLatin1("Tank report\nTemperature [SENSOR1], alarm: [ALARM]\n\xc4rger\n"));
        QVERIFY(!QFile::exists(marker));

        // The message file: CR LF line ends, one byte per letter.
        QFile f(m_dir.filePath("MyMail.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("Tank report\r\nTemperature [SENSOR1], alarm: [ALARM]\r\n\xc4rger"));
    }

    void longLinesAndForeignLettersSurvive()
    {
        SmtpServer server({});
        CKorvalisControlApp app;
        UseServer(app, server.Port());
        CEmail rule = Alert(QStringLiteral("Gr\u00fc\u00dfe aus dem Becken \U0001F41F ") + QString(80, 'x'));
        const QString longLine = QString(1500, QLatin1Char('a')) + QString::fromLatin1(" \xe9t\xe9 .end");
        rule.text = longLine + "\n.\n..dots";
        QVERIFY(Send(app, rule));
        QVERIFY2(app.EmailAlerts().LastResult().ok, qPrintable(app.EmailAlerts().LastResult().reason));
        const QJsonObject m = server.TakeMessage();
        QCOMPARE(m["subject"].toString(), rule.subject);
        QCOMPARE(m["body"].toString(), longLine + "\n.\n..dots\n");
    }

    void startTlsWithLogin()
    {
        if (QStandardPaths::findExecutable("openssl").isEmpty())
            QSKIP("openssl is not installed: no certificate for the TLS server");
        m_cert = m_dir.filePath("cert.pem");
        m_key = m_dir.filePath("key.pem");
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                  "-nodes", "-keyout", m_key, "-out", m_cert, "-days", "2", "-subj", "/CN=localhost",
                                  "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"});
        QVERIFY(openssl.waitForFinished(60000));
        QCOMPARE(openssl.exitCode(), 0);

        const QString password = QStringLiteral("p\u00e4ss; \"$(id)\" -x");
        SmtpServer server({"--cert", m_cert, "--key", m_key, "--user", "tank", "--password", password});
        QVERIFY2(server.Port() > 0, qPrintable(server.Errors()));
        CKorvalisControlApp app;
        UseServer(app, server.Port());
        app.EmailSettings().authentication = true;
        app.EmailSettings().userName = "tank";
        app.EmailSettings().password = password;
        app.EmailAlerts().SetExtraArguments({"-cafile", m_cert});
        QVERIFY(Send(app, Alert("Encrypted")));
        QVERIFY2(app.EmailAlerts().LastResult().ok, qPrintable(app.EmailAlerts().LastResult().reason));
        const QJsonObject m = server.TakeMessage();
        QVERIFY(m["tls"].toBool());
        QCOMPARE(m["login"].toString(), QStringLiteral("tank"));
        QCOMPARE(m["subject"].toString(), QStringLiteral("Encrypted"));

        // The mailer's own command line with the password as an argument, as other programs
        // may call it.
        {
            QFile body(m_dir.filePath("plain-pass.txt"));
            QVERIFY(body.open(QIODevice::WriteOnly));
            body.write("Level low\r\n");
            body.close();
            QProcess mailer;
            mailer.start(TestPaths::Program("korvalis-mailsend"),
                         {"-starttls", "-q", "-f", "tank@example.org", "-smtp", "127.0.0.1", "-port",
                          QString::number(server.Port()), "-t", "keeper@example.org", "-sub", "Plain pass",
                          "-attach", body.fileName(), "-auth", "-user", "tank", "-pass", password, "-cafile", m_cert});
            QVERIFY(mailer.waitForFinished(60000));
            QCOMPARE(mailer.exitCode(), 0);
            const QJsonObject plain = server.TakeMessage();
            QCOMPARE(plain["login"].toString(), QStringLiteral("tank"));
            QCOMPARE(plain["subject"].toString(), QStringLiteral("Plain pass"));
        }

        // A wrong password is a recorded failure with the server's answer.
        app.EmailSettings().password = "wrong";
        QVERIFY(Send(app, Alert("Wrong")));
        QVERIFY(!app.EmailAlerts().LastResult().ok);
        QVERIFY2(app.EmailAlerts().LastResult().reason.contains("535"),
                 qPrintable(app.EmailAlerts().LastResult().reason));

        // Without the test's certificate the server is not trusted.
        app.EmailSettings().password = password;
        app.EmailAlerts().SetExtraArguments({});
        QVERIFY(Send(app, Alert("Untrusted")));
        QVERIFY(!app.EmailAlerts().LastResult().ok);
        QCOMPARE(server.Pending(), 0);
    }

    void startTlsIsUsedWhenOfferedWithoutLogin()
    {
        if (m_cert.isEmpty())
            QSKIP("no certificate (see startTlsWithLogin)");
        SmtpServer server({"--cert", m_cert, "--key", m_key});
        CKorvalisControlApp app;
        UseServer(app, server.Port());
        app.EmailAlerts().SetExtraArguments({"-cafile", m_cert});
        QVERIFY(Send(app, Alert("Opportunistic")));
        QVERIFY2(app.EmailAlerts().LastResult().ok, qPrintable(app.EmailAlerts().LastResult().reason));
        const QJsonObject m = server.TakeMessage();
        QVERIFY(m["tls"].toBool());
        QVERIFY(m["login"].isNull());
    }

    void passwordIsNeverSentInClear()
    {
        SmtpServer server({"--user", "tank", "--password", "pw"});
        CKorvalisControlApp app;
        UseServer(app, server.Port());
        app.EmailSettings().authentication = true;
        app.EmailSettings().userName = "tank";
        app.EmailSettings().password = "pw";
        QVERIFY(Send(app, Alert("Clear")));
        QVERIFY(!app.EmailAlerts().LastResult().ok);
        QVERIFY2(app.EmailAlerts().LastResult().reason.contains("STARTTLS"),
                 qPrintable(app.EmailAlerts().LastResult().reason));
        QCOMPARE(server.Pending(), 0);
    }

    void refusingServerGivesARecordedFailure()
    {
        SmtpServer server({"--refuse"});
        CKorvalisControlApp app;
        UseServer(app, server.Port());
        const QDateTime fixed(QDate(2024, 5, 6), QTime(7, 8));
        app.EmailAlerts().SetClock([fixed] { return fixed; });
        QVERIFY(Send(app, Alert("Refused")));
        const CEmailAlerts::SendResult& r = app.EmailAlerts().LastResult();
        QVERIFY(r.valid);
        QVERIFY(!r.ok);
        QCOMPARE(r.time, fixed);
        QVERIFY2(r.reason.contains("550"), qPrintable(r.reason));
        QCOMPARE(r.subject, QStringLiteral("Refused"));
    }

    void closedPortAndMissingProgramAreFailures()
    {
        int port = 0;
        {
            SmtpServer server({});
            port = server.Port();
        }
        CKorvalisControlApp app;
        UseServer(app, port);
        QVERIFY(Send(app, Alert("Nobody listens")));
        QVERIFY(!app.EmailAlerts().LastResult().ok);
        QVERIFY(!app.EmailAlerts().LastResult().reason.isEmpty());

        app.EmailAlerts().SetMailerProgram(m_dir.filePath("no-such-mailer"));
        QVERIFY(Send(app, Alert("No program")));
        QVERIFY(!app.EmailAlerts().LastResult().ok);
        QVERIFY(app.EmailAlerts().LastResult().reason.contains("no-such-mailer"));
    }

    void messageFileThatIsNoFileIsAUsageError()
    {
        // A directory used to send an empty mail; a FIFO blocked the mailer for good.
        const QString fifo = m_dir.filePath("mail-fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& attach : {m_dir.path(), fifo}) {
            QProcess p;
            p.start(TestPaths::Program("korvalis-mailsend"),
                    {"-f", "tank@example.org", "-smtp", "127.0.0.1", "-port", "1", "-t", "a@b.example", "-attach", attach});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), 2);
            QVERIFY(p.readAllStandardError().contains("not a regular file"));
        }
    }

    void hangingMailerIsStoppedAtTheTimeLimit()
    {
        const QString script = m_dir.filePath("hang.sh");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexec sleep 600\n");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        CKorvalisControlApp app;
        UseServer(app, 25);
        app.EmailAlerts().SetMailerProgram(script);
        app.EmailAlerts().SetTimeLimit(1000);
        // Two queued behind each other: each gets its own limit, both are recorded.
        QSignalSpy finished(&app.EmailAlerts(), &CEmailAlerts::SendFinished);
        app.EmailAlerts().SendTestMail(Alert("first"));
        app.EmailAlerts().SendTestMail(Alert("second"));
        QVERIFY(app.EmailAlerts().WaitForIdle(60000));
        QCOMPARE(finished.size(), 2);
        QVERIFY(!app.EmailAlerts().LastResult().ok);
        QCOMPARE(app.EmailAlerts().LastResult().subject, QStringLiteral("second"));
        QVERIFY(app.EmailAlerts().LastResult().reason.contains("1"));
    }
};

QTEST_GUILESS_MAIN(MailSendTest)
#include "MailSend_test.moc"
