// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware transfer over real links: a socat pseudo-terminal pair (with the switch to
// 38400 baud seen on the terminal itself) and loopback TCP, from the program's core and from
// korvalisctl, against the device model's boot loader served on a second thread.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <termios.h>
#include <unistd.h>

#include "app/CKorvalisControlApp.h"
#include "device/CBootLoader.h"
#include "device/CDeviceModel.h"
#include "lang/CLanguage.h"
#include "link/CByteChannel.h"
#include "firmware/CFirmwareTransfer.h"
#include "params/CTransferProgress.h"
#include "support/CDeviceModelServer.h"
#include "support/CScriptedUserInteraction.h"
#include "support/CSocatPair.h"
#include "support/CtlProcess.h"
#include "support/SRecordMaker.h"
#include "support/TestPaths.h"

namespace {
using Outcome = CFirmwareTransfer::Outcome;

struct Progress : CTransferProgress {
    std::function<void(const QString&)> onText;
    void SetRange(int) override {}
    void SetPos(int) override {}
    void SetCaption(const QString&) override {}
    void SetItemText(const QString& text) override
    {
        if (onText)
            onText(text);
    }
};

struct Ui : CFirmwareTransferUi {
    QString file;
    std::function<void(const QString&)> onText;
    bool ConfirmDownloadWarning() override { return true; }
    QString ChooseFirmwareFile() override { return file; }
    std::unique_ptr<CTransferProgress> OpenProgress() override
    {
        auto p = std::make_unique<Progress>();
        p->onText = onText;
        return p;
    }
};

// A firmware image that makes the device report version 4.10 after its restart.
QByteArray Firmware(int size)
{
    return SRecordMaker::Line(2, CBootLoader::kVersionAddress, QByteArray("\x01\x9a", 2)) + "\r\n" +
           SRecordMaker::Image(size, 0x2000);
}

// One device with its boot loader, served on a thread.
struct Device {
    explicit Device(const CBootLoader::Faults& faults = {}) : loader(model), server(model)
    {
        loader.SetFaults(faults);
    }
    CDeviceModel model;
    CBootLoader loader;
    CDeviceModelServer server;
};

speed_t OutputSpeed(int fd)
{
    termios t{};
    return ::tcgetattr(fd, &t) == 0 ? ::cfgetospeed(&t) : 0;
}
}  // namespace

class FirmwareTransferLinksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English)));
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("fw.s28"));
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Firmware(3000));
    }

    void serialLineSwitchesTo38400AndBack()
    {
        CSocatPair pair;
        QVERIFY2(pair.Start(), "socat could not make a pseudo-terminal pair");
        Device device({false, {3}, {}});
        QVERIFY(device.server.ServeTty(pair.EndB()));
        // A second descriptor on the program's end shows the terminal's real line settings.
        const int watch = ::open(pair.EndA().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(watch >= 0);

        CScriptedUserInteraction messages;
        messages.SetDefaultAnswer(CUserInteraction::IdOk);
        CKorvalisControlApp app;
        app.SetUserInteraction(&messages);
        app.serialDeviceOverride = pair.EndA();
        CConnection conn;
        conn.baudRate = 19200;
        conn.replyTimeout = 2000;
        QVERIFY(app.Connect(&conn, false));
        QCOMPARE(OutputSpeed(watch), speed_t(B19200));

        Ui ui;
        ui.file = m_file;
        speed_t whileSending = 0;
        ui.onText = [&](const QString& text) {
            if (text == Tr(133))
                whileSending = OutputSpeed(watch);
        };
        CFirmwareTransfer transfer(app, ui);
        QCOMPARE(transfer.TransferFirmware(), Outcome::Done);
        QCOMPARE(whileSending, speed_t(B38400));
        QCOMPARE(transfer.Retries(), 1);
        QCOMPARE(messages.MessageIds(), (QList<int>{129, 132}));
        QVERIFY(!app.IsConnected());

        // The controller runs the new firmware on the configured speed.
        QVERIFY(app.Connect(&conn, false));
        QCOMPARE(app.FirmwareVersion(), int16_t(410));
        QCOMPARE(OutputSpeed(watch), speed_t(B19200));
        app.Disconnect();
        device.server.Stop();
        QCOMPARE(device.loader.ImageBytes(0x2000, 3000), Pattern(3000));
        ::close(watch);
    }

    void failedHandshakeRestoresTheSerialLine()
    {
        CSocatPair pair;
        QVERIFY(pair.Start());
        Device device({true, {}, {}});
        QVERIFY(device.server.ServeTty(pair.EndB()));
        const int watch = ::open(pair.EndA().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(watch >= 0);
        CScriptedUserInteraction messages;
        messages.SetDefaultAnswer(CUserInteraction::IdOk);
        CKorvalisControlApp app;
        app.SetUserInteraction(&messages);
        app.serialDeviceOverride = pair.EndA();
        CConnection conn;
        conn.baudRate = 19200;
        conn.replyTimeout = 2000;
        QVERIFY(app.Connect(&conn, false));
        Ui ui;
        ui.file = m_file;
        CFirmwareTransfer transfer(app, ui);
        QCOMPARE(transfer.TransferFirmware(), Outcome::HandshakeFailed);
        QCOMPARE(messages.MessageIds(), (QList<int>{129, 131}));
        QVERIFY(app.IsConnected());
        QCOMPARE(OutputSpeed(watch), speed_t(B19200));
        QCOMPARE(app.Channel()->ReadTimeout(), 2000);
        app.Disconnect();
        device.server.Stop();
        QVERIFY(device.loader.Received().isEmpty());
        ::close(watch);
    }

    void overTcp()
    {
        Device device({false, {0, 7}, {}});
        const uint16_t port = device.server.ServeTcp();
        QVERIFY(port != 0);
        CScriptedUserInteraction messages;
        messages.QueueAnswer(CUserInteraction::IdYes);  // 192: over the network anyway
        messages.QueueAnswer(CUserInteraction::IdOk);   // 129
        CKorvalisControlApp app;
        app.SetUserInteraction(&messages);
        CConnection conn;
        conn.type = CConnection::Tcp;
        conn.networkAddress = QStringLiteral("127.0.0.1");
        conn.tcpPort = port;
        conn.replyTimeout = 2000;
        QVERIFY(app.Connect(&conn, false));
        Ui ui;
        ui.file = m_file;
        CFirmwareTransfer transfer(app, ui);
        QCOMPARE(transfer.TransferFirmware(), Outcome::Done);
        QCOMPARE(messages.MessageIds(), (QList<int>{192, 129, 132}));
        QCOMPARE(transfer.Retries(), 2);
        QVERIFY(app.Connect(&conn, false));
        QCOMPARE(app.FirmwareVersion(), int16_t(410));
        app.Disconnect();
        device.server.Stop();
        QCOMPARE(device.loader.Restarts(), 1);
    }

    void commandLineTool_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("badHandshake");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("firmwareAfter");
        const QByteArray good = Firmware(1500);
        QByteArray bad = good;
        bad.insert(bad.indexOf("\r\n") + 2, "\r\n");
        QTest::newRow("success") << QStringList{QStringLiteral("--yes")} << false << good << 0 << 410;
        QTest::newRow("warning not accepted") << QStringList{} << false << good << 3 << 408;
        QTest::newRow("bad file") << QStringList{QStringLiteral("--yes")} << false << bad << 5 << 408;
        // The controller stays in its boot loader; a later connect still finds 4.08.
        QTest::newRow("handshake fails") << QStringList{QStringLiteral("--yes")} << true << good << 7 << 408;
    }
    void commandLineTool()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, badHandshake);
        QFETCH(QByteArray, content);
        QFETCH(int, exitCode);
        QFETCH(int, firmwareAfter);
        QTemporaryDir home;
        const QString file = home.filePath(QStringLiteral("fw.s28"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();

        Device device({badHandshake, {}, {}});
        const uint16_t port = device.server.ServeTcp();
        QVERIFY(port != 0);
        const QString tcp = QStringLiteral("127.0.0.1:%1").arg(port);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVALIS_HOME"), home.path());
        QProcess ctl;
        ctl.setProcessEnvironment(env);
        ctl.start(TestPaths::Program("korvalisctl"),
                  QStringList{QStringLiteral("--tcp"), tcp, QStringLiteral("--timeout"), QStringLiteral("2000")} + options +
                      QStringList{QStringLiteral("firmware"), file});
        QVERIFY(ctl.waitForFinished(120000));
        const QString err = QString::fromLocal8Bit(ctl.readAllStandardError());
        QVERIFY2(ctl.exitCode() == exitCode, qPrintable(err));
        if (exitCode == 0) {
            QVERIFY2(err.contains(QStringLiteral("100%")) && err.contains(Tr(133)), qPrintable(err));
            QVERIFY2(err.contains(QStringLiteral("100%  2000 - 1502/1502")), qPrintable(err));
        }

        QProcess identify;
        identify.setProcessEnvironment(env);
        identify.start(TestPaths::Program("korvalisctl"), {QStringLiteral("--tcp"), tcp, QStringLiteral("identify")});
        QVERIFY(identify.waitForFinished(60000));
        QVERIFY(QString::fromLocal8Bit(identify.readAllStandardOutput())
                    .contains(QStringLiteral("firmware: %1").arg(firmwareAfter)));
    }

    void checkFirmwareNeedsNoController() {
        QTemporaryDir home;
        const QString bad = home.filePath(QStringLiteral("bad.s28"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Firmware(100) + SRecordMaker::Line(2, 0x3000, "x", 1) + "\r\n");
        f.close();
        const CtlResult good = RunCtl({QStringLiteral("check-firmware"), m_file}, home.path());
        QVERIFY2(good.exitCode == 0, qPrintable(good.err));
        QVERIFY2(good.out.contains(QStringLiteral("data-bytes: 3002")), qPrintable(good.out));
        const CtlResult refused = RunCtl({QStringLiteral("check-firmware"), bad}, home.path());
        QCOMPARE(refused.exitCode, 5);
        QVERIFY2(refused.err.contains(QStringLiteral("line 8: checksum error")),
                 qPrintable(refused.err));
        QCOMPARE(RunCtl({QStringLiteral("check-firmware"), home.filePath(QStringLiteral("none"))},
                        home.path())
                     .exitCode,
                 4);
    }

private:
    static QByteArray Pattern(int size)
    {
        QByteArray b;
        for (int i = 0; i < size; ++i)
            b.append(static_cast<char>((i * 7) & 0xFF));
        return b;
    }
    QTemporaryDir m_dir;
    QString m_file;
};

QTEST_GUILESS_MAIN(FirmwareTransferLinksTest)
#include "FirmwareTransferLinks_test.moc"
