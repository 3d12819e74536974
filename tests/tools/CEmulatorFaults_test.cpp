// SPDX-License-Identifier: GPL-3.0-or-later
// The core and korvalisctl against the emulator process with every fault mode, over TCP and
// over a pseudo-terminal: failed exchanges are retried three times and end with the right
// status; a refusal ends after one; nothing takes longer than three reply timeouts; a link
// that closes in the middle gives a clean error.
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/CKorvalisControlApp.h"
#include "base/ModelInfo.h"
#include "link/CMyAsyncSocket.h"
#include "link/CSWMBus.h"
#include "link/CSerialComm.h"
#include "support/CEmulatorProcess.h"
#include "support/CScriptedUserInteraction.h"
#include "support/TestPaths.h"

namespace {
constexpr int kTimeout = 300;
// Three attempts of two 10 ms pauses and one reply timeout each, plus room for a loaded machine.
constexpr qint64 kTransactionBound = 3 * (kTimeout + 20) + 2000;

bool IsMalformedStatus(uint16_t s)
{
    return s == CSWMBus::BadAnswer || s == CSWMBus::BadAddress || s == CSWMBus::BadHeaderChecksum ||
           (s >= CSWMBus::NoSoh && s <= CSWMBus::NoEtx);
}

// The engine on a real channel to an emulator process.
struct Engine {
    bool Open(bool pty, QStringList args)
    {
        args << QStringLiteral("--verbose");
        if (pty) {
            if (!emu.StartPty(args))
                return false;
            auto port = std::make_unique<CSerialComm>(emu.TerminalPath());
            if (!port->Open())
                return false;
            port->SetState(CSerialCommState{});
            channel = std::move(port);
        } else {
            if (!emu.Start(args))
                return false;
            auto socket = std::make_unique<CMyAsyncSocket>();
            if (!socket->ConnectTo(QStringLiteral("127.0.0.1"), emu.Port(), false))
                return false;
            channel = std::move(socket);
        }
        bus = std::make_unique<CSWMBus>(channel.get(), kTimeout);
        return true;
    }
    // Runs a transaction and checks that it ended in time.
    template <typename F>
    uint16_t Timed(F&& transaction)
    {
        QElapsedTimer t;
        t.start();
        const uint16_t status = transaction();
        lastMs = t.elapsed();
        return status;
    }

    CEmulatorProcess emu;
    std::unique_ptr<CByteChannel> channel;
    std::unique_ptr<CSWMBus> bus;
    qint64 lastMs = 0;
};

struct CtlResult {
    int exitCode = -1;
    QString err;
    qint64 ms = 0;
};

CtlResult Ctl(const QStringList& args)
{
    QProcess p;
    static QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVALIS_HOME"), home.path());
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(TestPaths::Program("korvalisctl"), args);
    CtlResult r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.ms = t.elapsed();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

void Links()
{
    QTest::addColumn<bool>("pty");
    QTest::newRow("tcp") << false;
    QTest::newRow("pty") << true;
}
}  // namespace

class CEmulatorFaultsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void droppedAnswersAreRetriedThenNoAnswer_data() { Links(); }
    void droppedAnswersAreRetriedThenNoAnswer()
    {
        QFETCH(bool, pty);
        Engine e;
        QVERIFY(e.Open(pty, {"--drop", "1"}));
        QCOMPARE(e.Timed([&] { return e.bus->Read(2); }), uint16_t(CSWMBus::NoAnswer));
        QVERIFY2(e.lastMs < kTransactionBound, qPrintable(QString::number(e.lastMs)));
        QCOMPARE(e.emu.CountAccesses("read", 2), 3);
        QCOMPARE(e.Timed([&] { return e.bus->WriteValue(15, 250); }), uint16_t(CSWMBus::NoAnswer));
        QVERIFY(e.lastMs < kTransactionBound);
        QCOMPARE(e.emu.CountAccesses("write", 15), 3);
    }

    void garbledAnswersAreRetriedThenMalformed_data() { Links(); }
    void garbledAnswersAreRetriedThenMalformed()
    {
        QFETCH(bool, pty);
        Engine e;
        QVERIFY(e.Open(pty, {"--garble", "1", "--seed", "7"}));
        for (int number : {2, 0, 6, 489, 1151}) {
            const uint16_t status = e.Timed([&] { return e.bus->Read(static_cast<int16_t>(number)); });
            QVERIFY2(IsMalformedStatus(status), qPrintable(QString("parameter %1: status %2").arg(number).arg(status)));
            QVERIFY(e.lastMs < kTransactionBound);
            QCOMPARE(e.emu.CountAccesses("read", number), 3);
        }
        QCOMPARE(e.Timed([&] { return e.bus->WriteValue(15, 250); }), uint16_t(CSWMBus::BadAnswer));
        QCOMPARE(e.emu.CountAccesses("write", 15), 3);
    }

    void lateAnswersCountAsNone_data() { Links(); }
    void lateAnswersCountAsNone()
    {
        QFETCH(bool, pty);
        {
            // Later than all three attempts together: nothing arrives in time.
            Engine e;
            QVERIFY(e.Open(pty, {"--delay", QString::number(4 * kTimeout)}));
            QCOMPARE(e.Timed([&] { return e.bus->Read(2); }), uint16_t(CSWMBus::NoAnswer));
            QVERIFY(e.lastMs < kTransactionBound);
            QCOMPARE(e.emu.CountAccesses("read", 2), 3);
        }
        {
            // Slow but in time: one attempt.
            Engine e;
            QVERIFY(e.Open(pty, {"--delay", QString::number(kTimeout / 3)}));
            QCOMPARE(e.Timed([&] { return e.bus->Read(2); }), uint16_t(CSWMBus::Ok));
            QCOMPARE(e.bus->GetUnsignedValue(), 4.0);
            QVERIFY(e.lastMs >= kTimeout / 3);
            QCOMPARE(e.emu.CountAccesses("read", 2), 1);
        }
    }

    void refusalEndsTheWriteAtOnce_data() { Links(); }
    void refusalEndsTheWriteAtOnce()
    {
        QFETCH(bool, pty);
        Engine e;
        QVERIFY(e.Open(pty, {"--refuse", "15,1101"}));
        QCOMPARE(e.bus->WriteValue(15, 260), uint16_t(CSWMBus::Ok));
        uint8_t code = 0;
        QVERIFY(!e.bus->GetAcknowledge(code));
        QVERIFY(code != 0);
        QCOMPARE(e.emu.CountAccesses("write", 15), 1);
        QCOMPARE(e.bus->WriteValue(16, 5), uint16_t(CSWMBus::Ok));
        QVERIFY(e.bus->GetAcknowledge(code));
        QCOMPARE(e.bus->Read(15), uint16_t(CSWMBus::Ok));
        QVERIFY(e.bus->GetUnsignedValue() != 260.0);
    }

    void closedLinkGivesACleanError_data() { Links(); }
    void closedLinkGivesACleanError()
    {
        QFETCH(bool, pty);
        Engine e;
        QVERIFY(e.Open(pty, {"--close-after", "3"}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(e.bus->Read(2), uint16_t(CSWMBus::Ok));
        for (int i = 0; i < 2; ++i) {
            const uint16_t status = e.Timed([&] { return e.bus->Read(2); });
            QVERIFY2(status == CSWMBus::NoChannel || status == CSWMBus::NoAnswer, qPrintable(QString::number(status)));
            QVERIFY2(e.lastMs < kTransactionBound, qPrintable(QString::number(e.lastMs)));
        }
        if (!pty)
            QVERIFY(!e.channel->IsUsable());
    }

    void retriesCarryADroppyLineThrough_data() { Links(); }
    void retriesCarryADroppyLineThrough()
    {
        QFETCH(bool, pty);
        Engine e;
        QVERIFY(e.Open(pty, {"--drop", "0.3", "--seed", "11"}));
        int ok = 0;
        for (int i = 0; i < 40; ++i) {
            const uint16_t status = e.bus->Read(20 * (i % 8) + 15);
            QVERIFY(status == CSWMBus::Ok || status == CSWMBus::NoAnswer);
            ok += status == CSWMBus::Ok;
        }
        int attempts = 0;
        for (int i = 0; i < 8; ++i)
            attempts += e.emu.CountAccesses("read", 20 * i + 15);
        QVERIFY2(attempts > 40, "dropped answers were asked for again");
        QVERIFY2(ok >= 35, qPrintable(QString("%1 of 40").arg(ok)));
    }

    void applicationSurvivesAFlakyLink_data() { Links(); }
    void applicationSurvivesAFlakyLink()
    {
        QFETCH(bool, pty);
        CEmulatorProcess emu;
        QVERIFY(pty ? emu.StartPty({"--garble", "0.1", "--seed", "3", "--sms"})
                    : emu.Start({"--garble", "0.1", "--seed", "3", "--sms"}));
        CScriptedUserInteraction ui;
        CKorvalisControlApp app;
        app.SetUserInteraction(&ui);
        CConnection c;
        c.type = pty ? CConnection::Serial : CConnection::Tcp;
        c.networkAddress = QStringLiteral("127.0.0.1");
        c.tcpPort = emu.Port();
        c.replyTimeout = kTimeout;
        c.smsModule = true;
        app.serialDeviceOverride = emu.TerminalPath();
        QVERIFY(app.Connect(&c, true));
        QCOMPARE(app.Model()->productCode, uint8_t(4));
        QVERIFY(app.HasSmsModule());
        QCOMPARE(app.WriteTextParameter(1141, "HOME-NET"), uint16_t(0));
        QCOMPARE(app.ReadParameter(1141), uint16_t(0));
        QCOMPARE(app.GetLastText(), QByteArray("HOME-NET"));
        // The emulator goes away: every access fails within its bounds, a text write
        // disconnects the application.
        QCOMPARE(emu.Stop(), 0);
        QElapsedTimer t;
        t.start();
        QVERIFY(app.ReadParameter(2) != 0);
        QVERIFY(t.elapsed() < kTransactionBound);
        QVERIFY(app.WriteTextParameter(1141, "X") != 0);
        QVERIFY(!app.IsConnected());
        QCOMPARE(app.ReadParameter(2), uint16_t(CSWMBus::NoChannel));
    }

    void korvalisctlReportsEveryFault_data()
    {
        QTest::addColumn<bool>("pty");
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("message");
        for (bool pty : {false, true}) {
            const char* link = pty ? "pty" : "tcp";
            QTest::addRow("%s drop", link) << pty << QStringList{"--drop", "1"} << QStringList{"get", "2"}
                                             << "cannot connect";
            QTest::addRow("%s garble", link) << pty << QStringList{"--garble", "1"} << QStringList{"get", "2"}
                                               << "cannot connect";
            QTest::addRow("%s refuse", link) << pty << QStringList{"--refuse", "15"} << QStringList{"set", "15", "1"}
                                               << "status 64";
            QTest::addRow("%s close", link) << pty << QStringList{"--close-after", "4"} << QStringList{"identify"}
                                              << "cannot connect";
            QTest::addRow("%s delay", link) << pty << QStringList{"--delay", "1500"} << QStringList{"get", "2"}
                                              << "cannot connect";
        }
    }

    void korvalisctlReportsEveryFault()
    {
        QFETCH(bool, pty);
        QFETCH(QStringList, faults);
        QFETCH(QStringList, command);
        QFETCH(QString, message);
        CEmulatorProcess emu;
        QVERIFY(pty ? emu.StartPty(faults) : emu.Start(faults));
        const QStringList link = pty ? QStringList{"--serial", emu.TerminalPath()} : QStringList{"--tcp", emu.TcpAddress()};
        const CtlResult r = Ctl(link + QStringList{"--timeout", QString::number(kTimeout)} + command);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.ms < 20000, qPrintable(QString::number(r.ms)));
    }
};

QTEST_GUILESS_MAIN(CEmulatorFaultsTest)
#include "CEmulatorFaults_test.moc"
