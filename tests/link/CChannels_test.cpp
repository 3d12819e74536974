// SPDX-License-Identifier: GPL-3.0-or-later
// The serial and TCP channels over the operating system: a socat pseudo-terminal pair and
// loopback TCP, with the device model answering from a second thread.
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include "app/CKorvalisControlApp.h"
#include "device/CDeviceModel.h"
#include "lang/CLanguage.h"
#include "link/CMyAsyncSocket.h"
#include "link/CSWMBus.h"
#include "link/CSerialComm.h"
#include "support/CDeviceModelServer.h"
#include "support/CScriptedUserInteraction.h"
#include "support/CSocatPair.h"

class CChannelsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tcpTransactions()
    {
        CDeviceModel model;
        CDeviceModelServer server(model);
        const uint16_t port = server.ServeTcp();
        QVERIFY(port != 0);
        CMyAsyncSocket socket;
        QVERIFY(socket.ConnectTo(QStringLiteral("127.0.0.1"), port, false));
        QVERIFY(socket.IsConnected());
        CSWMBus bus(&socket, 2000);
        QCOMPARE(bus.Read(2), uint16_t(0));
        QCOMPARE(bus.GetUnsignedValue(), 4.0);
        QCOMPARE(bus.WriteValue(300, -7), uint16_t(0));
        QCOMPARE(model.Controller().Value(300), int64_t(-7));
        QCOMPARE(bus.WriteBytes(1228, "Reef"), uint16_t(0));
        QCOMPARE(bus.Read(1228), uint16_t(0));
        QCOMPARE(bus.GetTextValue(), QByteArray("Reef"));
        socket.Close();
        QVERIFY(!socket.IsConnected());
        socket.Close();  // closing twice only clears the flag
        QCOMPARE(bus.Read(2), uint16_t(80));
    }

    void tcpPeerCloseEndsTheWaitAtOnce()
    {
        CDeviceModel model;
        CDeviceModel::Faults f;
        f.closeAfterFrames = 1;
        model.SetFaults(f);
        CDeviceModelServer server(model);
        const uint16_t port = server.ServeTcp();
        CMyAsyncSocket socket;
        QVERIFY(socket.ConnectTo(QStringLiteral("127.0.0.1"), port, false));
        CSWMBus bus(&socket, 5000);
        QCOMPARE(bus.Read(2), uint16_t(0));
        QElapsedTimer t;
        t.start();
        QCOMPARE(bus.Read(2), uint16_t(80));
        QVERIFY(!socket.IsConnected());
        QVERIFY2(t.elapsed() < 4000, "a closed peer must not cost a reply timeout");
    }

    void tcpConnectFailures()
    {
        CMyAsyncSocket socket;
        // No discovery installed: nobody answers, no TCP connection is attempted.
        QVERIFY(!socket.ConnectTo(QStringLiteral("0.0.0.0"), 10001, true));
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const uint16_t closedPort = probe.serverPort();
        probe.close();
        socket.SetConnectTimeout(2000);
        QVERIFY(!socket.ConnectTo(QStringLiteral("127.0.0.1"), closedPort, false));
        QVERIFY(!socket.IsConnected());
    }

    void receiveUntilTerminatorAndSilence()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        CMyAsyncSocket socket;
        socket.SetTimeout(100);
        QVERIFY(socket.ConnectTo(QStringLiteral("127.0.0.1"), server.serverPort(), false));
        QVERIFY(server.waitForNewConnection(2000));
        QTcpSocket* peer = server.nextPendingConnection();
        peer->write("ab\x04" "cd");
        peer->waitForBytesWritten(1000);
        QByteArray got;
        QCOMPARE(socket.ReceiveString(got, 256, 0x04, true), 3);
        QCOMPARE(got, QByteArray("ab\x04"));
        QElapsedTimer t;
        t.start();
        QCOMPARE(socket.ReceiveString(got, 256, 0x04, true), 2);  // then silence: timeout
        QCOMPARE(got, QByteArray("cd"));
        QVERIFY(t.elapsed() >= 90);
    }

    void serialOverPseudoTerminal()
    {
        CSocatPair pair;
        QVERIFY2(pair.Start(), "socat is needed for the serial tests");
        CDeviceModel model;
        CDeviceModelServer server(model);
        QVERIFY(server.ServeTty(pair.EndB()));

        CSerialComm port(pair.EndA());
        QVERIFY(port.Open());
        CSerialCommState state;
        state.baudRate = 9600;
        QVERIFY(port.SetState(state));
        CSerialCommState read;
        QVERIFY(port.GetState(read));
        QCOMPARE(read.baudRate, 9600u);
        QCOMPARE(int(read.byteSize), 8);
        QCOMPARE(int(read.parity), 0);

        CSWMBus bus(&port, 2000);
        QCOMPARE(bus.Read(0), uint16_t(0));
        QCOMPARE(bus.GetUnsignedValue(), 408.0);
        QCOMPARE(bus.WriteValue(170, 600), uint16_t(0));
        QCOMPARE(model.Controller().Value(170), int64_t(600));

        // Exclusive open: a second opener is refused with words a user can act on.
        CSerialComm second(pair.EndA());
        QVERIFY(!second.Open());
        QVERIFY(!second.LastError().isEmpty());

        // Closed port: no answer (40) after the reply timeout.
        port.Close();
        CSWMBus closed(&port, 50);
        closed.SetFramePause(0);
        QCOMPARE(closed.Read(0), uint16_t(40));
    }

    void serialReadSemantics()
    {
        CSocatPair pair;
        QVERIFY(pair.Start());
        CSerialComm a(pair.EndA());
        CSerialComm b(pair.EndB());
        QVERIFY(a.Open());
        QVERIFY(b.Open());
        a.SetTimeouts(100);
        QByteArray got;
        QCOMPARE(a.ReadString(got, 0, 0, false), 0);  // nothing waiting: nothing read
        b.WriteString("xy\x04z");
        QCOMPARE(a.ReadString(got, 256, 0x04, true), 3);
        QCOMPARE(got, QByteArray("xy\x04"));
        QCOMPARE(a.ReadString(got, 256, 0x04, true), 1);
        QCOMPARE(got, QByteArray("z"));
        QVERIFY(!CSerialComm(QStringLiteral("/dev/does-not-exist")).Open());
    }

    void connectSequenceOverBothChannels()
    {
        CLanguage::Current().SetLanguage(CLanguage::English);
        CDeviceModel::Options o;
        o.productCode = 8;
        o.sms = true;
        CDeviceModel model(o);
        CDeviceModelServer tcpServer(model);
        const uint16_t port = tcpServer.ServeTcp();
        CScriptedUserInteraction ui;
        CKorvalisControlApp app;
        app.SetUserInteraction(&ui);
        CConnection c;
        c.type = CConnection::Tcp;
        c.networkAddress = QStringLiteral("127.0.0.1");
        c.tcpPort = port;
        c.smsModule = true;
        QVERIFY(app.Connect(&c, false));
        QCOMPARE(app.GetModelName(), QStringLiteral("Korvalis G"));
        QVERIFY(app.HasSmsModule());
        app.Disconnect();
        tcpServer.Stop();

        CSocatPair pair;
        QVERIFY(pair.Start());
        CDeviceModelServer ttyServer(model);
        QVERIFY(ttyServer.ServeTty(pair.EndB()));
        c.type = CConnection::Serial;
        app.serialDeviceOverride = pair.EndA();
        QVERIFY(app.Connect(&c, false));
        QCOMPARE(app.GetModelName(), QStringLiteral("Korvalis G"));
    }
};

QTEST_GUILESS_MAIN(CChannelsTest)
#include "CChannels_test.moc"
