// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisd as a process against the emulator: clients through it at the same time, a
// link that drops and comes back, work that needs the raw line refused with a reason,
// alert e-mails to a real SMTP server sent by the service alone, once, across a restart,
// and two controllers of a configuration file in one process with their recorders
// downloaded into the history on schedule.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "alerts/CEmailSettings.h"
#include "app/CEmailAlerts.h"
#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "recorder/CMeasHistory.h"
#include "support/CEmulatorProcess.h"
#include "support/CServiceProcess.h"
#include "support/CSmtpTestServer.h"
#include "support/CtlProcess.h"
#include "support/SRecordMaker.h"

namespace {
QString LinkState(const QJsonObject& s)
{
    return s.value("link").toObject().value("state").toString();
}

CtlResult Ctl(const QString& home, const QStringList& args)
{
    return RunCtl(args, home);
}

// Starts korvalisctl without waiting, so two run at once.
QProcess* StartCtl(const QString& home, const QStringList& args, QObject* parent)
{
    auto* p = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVALIS_HOME", home);
    p->setProcessEnvironment(env);
    p->start(TestPaths::Program("korvalisctl"), args);
    return p;
}

CEmail AlarmRule()
{
    CEmail r;
    r.recipients = {"keeper@example.org"};
    r.subject = "Tank alarm";
    r.text = "Alarm: [ALARM], level [LEVEL]";
    r.type = CEmail::OnAlarm;
    return r;
}

void WriteSettings(const QString& dataFolder, int smtpPort, const CEmailArray& rules)
{
    CEmailSettings s(dataFolder);
    s.SetFilePath(QDir(dataFolder).filePath(CEmailSettings::FileName()));
    s.rules = rules;
    s.senderAddress = "tank@example.org";
    s.smtpServer = "127.0.0.1";
    s.port = static_cast<uint16_t>(smtpPort);
    QVERIFY(s.Save());
}

CConnection StoredTcp(const QString& name, quint16 port)
{
    CConnection c;
    c.name = name;
    c.type = CConnection::Tcp;
    c.networkAddress = "127.0.0.1";
    c.tcpPort = port;
    c.deviceAddress = 1;
    return c;
}

int ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
}  // namespace

class KorvalisdTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English));
    }

    void clientsShareTheLinkWithoutMixedFrames()
    {
        CEmulatorProcess emulator;
        QVERIFY(emulator.Start({"--model", "D"}));
        const QString home = m_dir.filePath("share");
        // Read before the service takes the emulator's one TCP connection.
        const CtlResult direct = Ctl(home, {"--tcp", emulator.TcpAddress(), "--json", "identify"});
        QCOMPARE(direct.exitCode, 0);
        CServiceProcess service(home);
        QVERIFY(service.Start({"--tcp", emulator.TcpAddress(), "--no-alerts"}));
        QVERIFY2(service.WaitFor([](const QJsonObject& s) { return LinkState(s) == "up"; }), qPrintable(service.Log()));
        // Two clients at once, each with a long run of transactions: every answer must be
        // the one its own request asked for, or the values would differ from the direct read.
        // Clients at once: a bulk read and several identifications. Every answer must be the
        // one its own request asked for, or an identification would differ from the direct
        // one (or fail its checks).
        QObject owner;
        QProcess* bulk = StartCtl(home, {"--tcp", service.Address(), "save-settings", m_dir.filePath("bulk.par")}, &owner);
        QList<QProcess*> clients;
        for (int i = 0; i < 4; ++i)
            clients << StartCtl(home, {"--tcp", service.Address(), "--json", "identify"}, &owner);
        for (QProcess* p : clients) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
            QCOMPARE(QString::fromUtf8(p->readAllStandardOutput()), direct.out);
        }
        QVERIFY(bulk->waitForFinished(120000));
        QVERIFY2(bulk->exitCode() == 0, bulk->readAllStandardError().constData());
        QVERIFY(QFileInfo(m_dir.filePath("bulk.par")).size() > 1000);

        // The status names the link and counts what passed.
        QVERIFY(service.WaitFor([](const QJsonObject& s) { return s.value("transactions").toInteger() > 0; }));
        const CtlResult status = Ctl(home, {"service", "status", "--status-dir", service.StatusFolder()});
        QCOMPARE(status.exitCode, 0);
        QVERIFY2(status.out.contains("link: " + emulator.TcpAddress() + ", bus address 1: up since") &&
                     status.out.contains("Korvalis D"),
                 qPrintable(status.out));
        QVERIFY2(status.out.contains("alerts: not sent by this service"), qPrintable(status.out));
    }

    void rawLineWorkIsRefusedWithAReason()
    {
        CEmulatorProcess emulator;
        QVERIFY(emulator.Start({"--verbose", "--sms"}));
        const QString home = m_dir.filePath("raw");
        CServiceProcess service(home);
        QVERIFY(service.Start({"--tcp", emulator.TcpAddress(), "--no-alerts"}));
        QVERIFY(service.WaitFor([](const QJsonObject& s) { return LinkState(s) == "up"; }));
        const QString file = m_dir.filePath("fw.s19");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(SRecordMaker::Line(1, 0x100, QByteArray::fromHex("0102030405060708")) + "\r\n" +
                SRecordMaker::Line(9, 0, {}) + "\r\n");
        f.close();
        const CtlResult fw = Ctl(home, {"--tcp", service.Address(), "--yes", "firmware", file});
        QCOMPARE(fw.exitCode, 6);  // the boot loader refused
        QVERIFY2(fw.err.contains("korvalisd service") && fw.err.contains("systemctl stop korvalisd"), qPrintable(fw.err));
        QCOMPARE(emulator.CountAccesses("write", 5003), 0);
        QCOMPARE(service.CountLog("refused"), 1);
        // The modem diagnosis' start, written by hand, is refused with the same reason.
        const CtlResult modem = Ctl(home, {"--tcp", service.Address(), "--sms", "set", "2056", "1"});
        QVERIFY(modem.exitCode != 0);
        QVERIFY2(modem.err.contains("korvalisd service refused it") && modem.err.contains("connect to the controller directly"),
                 qPrintable(modem.err));
        QCOMPARE(service.CountLog("refused"), 2);
        // The line is still the service's: the next client is served as before.
        QCOMPARE(Ctl(home, {"--tcp", service.Address(), "identify"}).exitCode, 0);
    }

    void linkDropsAndComesBack()
    {
        auto emulator = std::make_unique<CEmulatorProcess>();
        QVERIFY(emulator->Start());
        const quint16 port = emulator->Port();
        const QString home = m_dir.filePath("drop");
        CServiceProcess service(home);
        QVERIFY(service.Start({"--tcp", emulator->TcpAddress(), "--no-alerts", "--probe-interval", "300"}));
        QVERIFY(service.WaitFor([](const QJsonObject& s) { return LinkState(s) == "up"; }));

        emulator.reset();
        QVERIFY2(service.WaitFor([](const QJsonObject& s) { return LinkState(s) == "down"; }), qPrintable(service.Log()));
        // Down for a while: the failed attempts say nothing more after the first.
        QThread::msleep(3000);
        QCOMPARE(service.CountLog("link lost"), 1);
        QVERIFY2(service.CountLog("cannot connect") <= 1, qPrintable(service.Log()));
        QVERIFY(Ctl(home, {"--tcp", service.Address(), "--timeout", "500", "identify"}).exitCode != 0);

        emulator = std::make_unique<CEmulatorProcess>();
        QVERIFY(emulator->Start({"--port", QString::number(port)}));
        QVERIFY2(service.WaitFor([](const QJsonObject& s) { return LinkState(s) == "up"; }, 90000),
                 qPrintable(service.Log()));
        QCOMPARE(service.CountLog("link back after"), 1);
        QCOMPARE(Ctl(home, {"--tcp", service.Address(), "identify"}).exitCode, 0);
    }

    void alertsAreSentByTheServiceOnlyAndOnce()
    {
        QVERIFY2(CSmtpTestServer::Available(), "python3-aiosmtpd is needed (scripts/install-deps)");
        CSmtpTestServer smtp({});
        QVERIFY2(smtp.Port() > 0, qPrintable(smtp.Errors()));
        // Ten device minutes a second: the level alarm is on after two seconds and stays.
        CEmulatorProcess emulator;
        QVERIFY(emulator.Start({"--model", "D", "--time-scale", "600"}));
        const QString home = m_dir.filePath("alerts");
        const QString data = home + "/KorvalisControl";
        CServiceProcess service(home);
        QDir().mkpath(data);
        WriteSettings(data, smtp.Port(), CEmailArray{AlarmRule()});
        const QStringList args = {"--tcp", emulator.TcpAddress(), "--alert-interval", "300"};
        QVERIFY(service.Start(args));
        const QJsonObject mail = smtp.TakeMessage(30000);
        QCOMPARE(mail.value("subject").toString(), QStringLiteral("Tank alarm"));
        QVERIFY2(mail.value("body").toString().contains("level 1"), qPrintable(mail.value("body").toString()));

        // The desktop program, connected through the service with the same data folder,
        // leaves the sending to the service.
        CKorvalisControlApp desktop;
        desktop.dataFolder = data;
        desktop.LoadEmailSettings();
        desktop.EmailAlerts().SetMailerProgram(TestPaths::Program("korvalis-mailsend"));
        CConnection through;
        through.type = CConnection::Tcp;
        through.networkAddress = "127.0.0.1";
        through.tcpPort = service.Port();
        QVERIFY(desktop.Connect(&through, false));
        QCOMPARE(desktop.EmailAlerts().SendingService(), service.Pid());
        QCOMPARE(desktop.EmailAlerts().RunAlertCycle(), 0);
        desktop.Disconnect();

        // A restart while the alarm lasts sends nothing again.
        QCOMPARE(service.Stop(), 0);
        QVERIFY(service.Start(args));
        QVERIFY(service.WaitFor([](const QJsonObject& s) {
            return s.value("alerts").toObject().value("sender").toBool() && LinkState(s) == "up";
        }));
        QThread::msleep(2000);  // several cycles
        QVERIFY2(service.CountLog("1 with their saved state") == 1, qPrintable(service.Log()));
        QCOMPARE(smtp.Pending(), 0);

        // Without the service the desktop program's own cycle takes over.
        QCOMPARE(service.Stop(), 0);
        CConnection direct = through;
        direct.tcpPort = emulator.Port();
        QVERIFY(desktop.Connect(&direct, false));
        QCOMPARE(desktop.EmailAlerts().SendingService(), 0);
        QCOMPARE(desktop.EmailAlerts().RunAlertCycle(), 1);
        QVERIFY(desktop.EmailAlerts().WaitForIdle(30000));
        QCOMPARE(smtp.TakeMessage().value("subject").toString(), QStringLiteral("Tank alarm"));
    }

    void twoControllersInOneProcessAndTheirScheduledDownloads()
    {
        // Told apart by their serial numbers; only the first has records.
        CEmulatorProcess tank, terrarium;
        QVERIFY(tank.Start({"--serial", "1111", "--history", "100"}));
        QVERIFY(terrarium.Start({"--serial", "2222", "--model", "D", "--history", "0"}));
        const QString home = m_dir.filePath("two");
        const CtlResult tankDirect = Ctl(home, {"--tcp", tank.TcpAddress(), "--json", "identify"});
        const CtlResult terrariumDirect = Ctl(home, {"--tcp", terrarium.TcpAddress(), "--json", "identify"});
        QVERIFY(tankDirect.out.contains("1111") && terrariumDirect.out.contains("2222"));
        CServiceProcess service(home);
        CConnectionArray stored(home + "/KorvalisControl");
        QVERIFY(stored.Add(StoredTcp("Tank", tank.Port())) && stored.Add(StoredTcp("Terrarium", terrarium.Port())));
        QVERIFY(stored.Save());
        // Listed out of order: the ports come in the order of the sections' numbers.
        const QString config = home + "/two.ini";
        QFile f(config);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[controller-2]\nconnection = Terrarium\nserve = 127.0.0.1:0\n\n"
                "[controller-1]\nconnection = Tank\nserve = 127.0.0.1:0\n\n"
                "[service]\ndownload-interval = 0.0005\n");
        f.close();
        QVERIFY2(service.StartWithConfig(config, 2), qPrintable(service.Log()));
        for (int i = 0; i < 2; ++i)
            QVERIFY2(service.WaitFor([&](const QJsonObject&) { return LinkState(service.Status(service.Port(i))) == "up"; }),
                     qPrintable(service.Log()));
        QCOMPARE(Ctl(home, {"--tcp", service.Address(0), "--json", "identify"}).out, tankDirect.out);
        QCOMPARE(Ctl(home, {"--tcp", service.Address(1), "--json", "identify"}).out, terrariumDirect.out);

        // The first controller sends the alerts, the other does not; the status lists both.
        QVERIFY(service.Status(service.Port(0)).value("alerts").toObject().value("sender").toBool());
        QVERIFY(!service.Status(service.Port(1)).value("alerts").toObject().value("sender").toBool());
        const CtlResult status = Ctl(home, {"service", "status", "--status-dir", service.StatusFolder()});
        QVERIFY2(status.out.contains("link: " + tank.TcpAddress() + ", bus address 1: up") &&
                     status.out.contains("link: " + terrarium.TcpAddress() + ", bus address 1: up") &&
                     status.out.contains("for \"Terrarium\""),
                 qPrintable(status.out));

        // The recorder's records land in the history once, however often they are read, and
        // clients are served between the records without a frame of theirs mixed in.
        QTRY_VERIFY2_WITH_TIMEOUT(service.CountLog("recorder download of controller 1111:") >= 1, qPrintable(service.Log()),
                                  60000);
        QElapsedTimer clock;
        clock.start();
        while (service.CountLog("recorder download of controller 1111:") < 2 && clock.elapsed() < 60000)
            QCOMPARE(Ctl(home, {"--tcp", service.Address(0), "--json", "identify"}).out, tankDirect.out);
        QVERIFY2(service.CountLog("recorder download of controller 1111:") >= 2, qPrintable(service.Log()));
        QCOMPARE(service.CountLog("recorder download of controller 1111: 100 records, 100 added to the history"), 1);
        QCOMPARE(service.CountLog("failed"), 0);
        CMeasHistory history;
        QCOMPARE(history.Open(home + "/KorvalisControl/History/1111.sqlite"), CMeasHistory::OpenResult::Ok);
        QCOMPARE(history.Summarise().count, 100);
    }

    void unusableConfigurationIsRefused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("why");
        const QByteArray one = "[controller-1]\nconnection = Tank\nserve = 127.0.0.1:0\n";
        QTest::newRow("no controller") << QByteArray("[service]\ndownload-interval = 1\n") << QStringList() << "names no controller";
        QTest::newRow("unknown connection") << QByteArray("[controller-1]\nconnection = Pond\nserve = 127.0.0.1:0\n")
                                            << QStringList() << "no stored connection is named \"Pond\"";
        QTest::newRow("no endpoint") << QByteArray("[controller-1]\nconnection = Tank\n") << QStringList() << "needs serve";
        QTest::newRow("two senders") << one + "alerts = yes\n[controller-2]\nconnection = Tank\nserve = 127.0.0.1:0\nalerts = yes\n"
                                     << QStringList() << "more than one controller";
        QTest::newRow("interval") << one + "[service]\ndownload-interval = -1\n" << QStringList() << "download-interval";
        QTest::newRow("interval option") << one << QStringList{"--download-interval", "x"} << "--download-interval";
        QTest::newRow("with --tcp") << one << QStringList{"--tcp", "127.0.0.1:1"} << "exclude each other";
        QTest::newRow("with --serve") << one << QStringList{"--serve", "127.0.0.1:0"} << "belong to one controller";
        QTest::newRow("with --address") << one << QStringList{"--address", "3"} << "belong to one controller";
        QTest::newRow("one connection twice") << one + "[controller-2]\nconnection = Tank\nserve = 127.0.0.1:0\n" << QStringList()
                                              << "name the same connection";
    }

    void unusableConfigurationIsRefused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, args);
        QFETCH(QString, why);
        const QString home = m_dir.filePath("config");
        QDir().mkpath(home + "/KorvalisControl");
        CConnectionArray stored(home + "/KorvalisControl");
        if (stored.IndexOf("Tank") < 0) {
            QVERIFY(stored.Add(StoredTcp("Tank", 1)));
            QVERIFY(stored.Save());
        }
        QFile f(home + "/korvalisd.ini");  // the default file
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(file);
        f.close();
        QProcess service;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORVALIS_HOME", home);
        service.setProcessEnvironment(env);
        service.start(TestPaths::Program("korvalisd"),
                      args.contains("--tcp") ? QStringList{"--config", home + "/korvalisd.ini"} + args : args);
        QVERIFY(service.waitForFinished(30000));
        QCOMPARE(service.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(service.readAllStandardError());
        QVERIFY2(err.contains(why), qPrintable(err));
    }

    void failedSendsAreRetriedThenGivenUp()
    {
        CEmulatorProcess emulator;
        QVERIFY(emulator.Start({"--model", "D", "--time-scale", "600"}));
        const QString home = m_dir.filePath("retry");
        CServiceProcess service(home);
        WriteSettings(home + "/KorvalisControl", ClosedPort(), CEmailArray{AlarmRule()});
        QVERIFY(service.Start({"--tcp", emulator.TcpAddress(), "--alert-interval", "300", "--retry-delay", "200"}));
        // One send and three more attempts, each failure logged; then no more.
        QTRY_COMPARE_WITH_TIMEOUT(service.CountLog("not sent:"), 4, 60000);
        QThread::msleep(1500);
        QCOMPARE(service.CountLog("not sent:"), 4);
        QCOMPARE(service.CountLog("trying again"), 3);
    }
};

QTEST_GUILESS_MAIN(KorvalisdTest)
#include "korvalisd_test.moc"
