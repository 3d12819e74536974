// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisctl with stored connections and network-module discovery, as a process.
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "device/CDeviceModel.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "support/CDeviceModelServer.h"
#include "support/CDiscoveryResponder.h"
#include "support/CSocatPair.h"
#include "support/CtlProcess.h"
#include "support/TestPaths.h"

namespace {
using Run = CtlResult;

CConnection Tcp(const QString& name, const QString& address, uint16_t port)
{
    CConnection c;
    c.name = name;
    c.type = CConnection::Tcp;
    c.networkAddress = address;
    c.tcpPort = port;
    return c;
}
}  // namespace

class CmdConnectionsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    CDeviceModel m_model;
    CDeviceModelServer m_server{m_model};
    uint16_t m_port = 0;

    Run Ctl(const QStringList& args) { return RunCtl(args, m_home.path()); }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("KORVALIS_HOME", m_home.path().toLocal8Bit());
        QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English)));
        m_port = m_server.ServeTcp();
        QVERIFY(m_port != 0);
        QDir().mkpath(m_home.filePath("KorvalisControl"));
        CConnectionArray list(m_home.filePath("KorvalisControl"));
        QVERIFY(list.Add(Tcp("Reef tank", "127.0.0.1", m_port)));
        CConnection serial;
        serial.name = "Cable";
        serial.comPort = 9;
        serial.baudRate = 19200;
        serial.deviceAddress = 1;
        serial.replyTimeout = 800;
        QVERIFY(list.Add(serial));
        QVERIFY(list.Add(Tcp("Somewhere", "0.0.0.0", m_port)));
        list.Select(2);  // "Reef tank", after the two defaults
        QVERIFY(list.Save());
    }

    void listsTheStoredConnections()
    {
        QSettings(m_home.filePath("KorvalisControl.ini"), QSettings::IniFormat).setValue("SerialPorts/COM9", "/dev/my-cable");
        const Run r = Ctl({"connections"});
        QCOMPARE(r.exitCode, 0);
        const QString serial = Tr(195), tcp = Tr(272);
        QCOMPARE(r.out, QStringLiteral("%1\tCOM1 (/dev/ttyUSB0)\t9600\t%1\t1\t5000\t\n"
                                       "%2\t<AUTO>:10001\t---\t%2\t1\t5000\t\n"
                                       "Reef tank\t127.0.0.1:%3\t---\t%2\t1\t5000\t*\n"
                                       "Cable\tCOM9 (/dev/my-cable)\t19200\t%1\t1\t800\t\n"
                                       "Somewhere\t<AUTO>:%3\t---\t%2\t1\t5000\t\n")
                            .arg(serial, tcp)
                            .arg(m_port));
        QSettings(m_home.filePath("KorvalisControl.ini"), QSettings::IniFormat).remove("SerialPorts");
    }

    void identifiesThroughAStoredConnection()
    {
        Run r = Ctl({"--connection", "Reef tank", "identify"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("model: Korvalis D\n"), qPrintable(r.out + r.err));
        // Other options change the stored connection: a wrong bus address gets no answer.
        r = Ctl({"--connection", "Reef tank", "--address", "9", "--timeout", "200", "identify"});
        QCOMPARE(r.exitCode, 1);
        // The stored connection's SMS-module choice holds without --sms.
        {
            CDeviceModel::Options withSms;
            withSms.sms = true;
            CDeviceModel smsModel(withSms);
            CDeviceModelServer smsServer(smsModel);
            const uint16_t smsPort = smsServer.ServeTcp();
            CConnectionArray list(m_home.filePath("KorvalisControl"));
            QVERIFY(list.Load());
            CConnection c = Tcp("With SMS", "127.0.0.1", smsPort);
            c.smsModule = true;
            QVERIFY(list.Add(c));
            QVERIFY(list.Save());
            r = Ctl({"--connection", "With SMS", "identify"});
            QVERIFY2(r.out.contains("sms-module: yes\n"), qPrintable(r.out + r.err));
            list.Remove(list.IndexOf("With SMS"));
            QVERIFY(list.Save());
        }
        r = Ctl({"--connection", "Nothing like it", "identify"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("Nothing like it"));
    }

    void storedSerialConnectionUsesThePortMapping()
    {
        CDeviceModel model;
        CDeviceModelServer server(model);
        CSocatPair pair;
        QVERIFY(pair.Start());
        QVERIFY(server.ServeTty(pair.EndB()));
        QSettings(m_home.filePath("KorvalisControl.ini"), QSettings::IniFormat).setValue("SerialPorts/COM9", pair.EndA());
        const Run r = Ctl({"--connection", "Cable", "identify"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("model: Korvalis D\n"), qPrintable(r.out + r.err));
    }

    void automaticAddressFindsTheModule()
    {
        CDiscoveryResponder responder({"127.0.0.1"});
        responder.InstallAsTarget();
        Run r = Ctl({"--connection", "Somewhere", "identify"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("model: Korvalis D\n"), qPrintable(r.out + r.err));
        CDiscoveryResponder silent({});
        silent.InstallAsTarget();
        r = Ctl({"--connection", "Somewhere", "identify"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("no network module answered"), qPrintable(r.err));
    }

    void discoverPrintsEachModuleOnce()
    {
        CDiscoveryResponder responder({"127.0.0.2", "127.0.0.3", "127.0.0.2"});
        responder.InstallAsTarget();
        Run r = Ctl({"discover"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("127.0.0.2\n127.0.0.3\n"));
        CDiscoveryResponder silent({});
        silent.InstallAsTarget();
        r = Ctl({"discover"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString());
    }
};

QTEST_GUILESS_MAIN(CmdConnectionsTest)
#include "CmdConnections_test.moc"
