// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisctl as a process, over loopback TCP and over a socat pseudo-terminal pair, with
// the device model answering from a thread of the test.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "device/CDeviceModel.h"
#include "recorder/CMeasuredValueArray.h"
#include "support/CEmulatorProcess.h"
#include "support/CDeviceModelServer.h"
#include "support/CSocatPair.h"
#include "support/CtlProcess.h"
#include "support/TestPaths.h"

namespace {
using Run = CtlResult;

Run Ctl(const QStringList& args)
{
    static QTemporaryDir home;
    return RunCtl(args, home.path());
}
}  // namespace

class KorvalisctlTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void identifyOverTcp()
    {
        CDeviceModel::Options o;
        o.productCode = 4;
        o.serial = 777;
        o.sensors = {2, 1, 5, 3, 0, 0, 0, 2};
        o.sms = true;
        CDeviceModel model(o);
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        const Run r = Ctl({QStringLiteral("--tcp"), where, QStringLiteral("--sms"), QStringLiteral("identify")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("model: Korvalis D\nproduct-code: 4\nfirmware: 408\nserial: 777\n"
                                       "sensor1: 2 pH-value 1\nsensor2: 1 Temperature 1\nsensor3: 5 Conductivity 1\n"
                                       "sensor4: 3 Redox 1\nsensor8: 2 pH-value 2\nsms-module: yes\n"));
    }

    void getSetAndText()
    {
        CDeviceModel model;
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        QCOMPARE(Ctl({QStringLiteral("--tcp"), where, QStringLiteral("set"), QStringLiteral("300"), QStringLiteral("-2")}).exitCode, 0);
        QCOMPARE(Ctl({QStringLiteral("--tcp"), where, QStringLiteral("get"), QStringLiteral("300"), QStringLiteral("--signed")}).out,
                 QStringLiteral("-2\n"));
        QCOMPARE(Ctl({QStringLiteral("--tcp"), where, QStringLiteral("get"), QStringLiteral("300")}).out,
                 QStringLiteral("4294967294\n"));
        QCOMPARE(Ctl({QStringLiteral("--tcp"), where, QStringLiteral("set-text"), QStringLiteral("1228"), QStringLiteral("Tank")}).exitCode, 0);
        QCOMPARE(model.Controller().Text(1228), QByteArray("Tank"));
        model.Controller().SetText(1229, QByteArray("a\x01\\", 3));
        QCOMPARE(Ctl({QStringLiteral("--tcp"), where, QStringLiteral("get"), QStringLiteral("1229"), QStringLiteral("--text")}).out,
                 QStringLiteral("a\\x01\\x5c\n"));

        // A refused write names the status and fails.
        const Run refused = Ctl({QStringLiteral("--tcp"), where, QStringLiteral("set"), QStringLiteral("2"), QStringLiteral("1")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("status 64")), qPrintable(refused.err));
    }

    void identifyOverPseudoTerminal()
    {
        CSocatPair pair;
        QVERIFY(pair.Start());
        CDeviceModel::Options o;
        o.productCode = 7;
        CDeviceModel model(o);
        CDeviceModelServer server(model);
        QVERIFY(server.ServeTty(pair.EndB()));
        const Run r = Ctl({QStringLiteral("--serial"), pair.EndA(), QStringLiteral("--baud"), QStringLiteral("9600"), QStringLiteral("identify")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("model: Korvalis F\nproduct-code: 7\n")), qPrintable(r.out));
    }

    void errorsAndPasswords()
    {
        QCOMPARE(Ctl({QStringLiteral("frobnicate")}).exitCode, 2);
        QCOMPARE(Ctl({QStringLiteral("--address"), QStringLiteral("40"), QStringLiteral("identify")}).exitCode, 2);
        CDeviceModel::Options o;
        o.password = 4711;
        CDeviceModel model(o);
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        const Run noPassword = Ctl({QStringLiteral("--tcp"), where, QStringLiteral("identify")});
        QCOMPARE(noPassword.exitCode, 1);
        QVERIFY(noPassword.err.contains(QStringLiteral("--password")));
        QCOMPARE(Ctl({QStringLiteral("--tcp"), where, QStringLiteral("--password"), QStringLiteral("4711"), QStringLiteral("identify")}).exitCode, 0);
        // Nobody listening: a one-line error and a non-zero status.
        const Run nobody = Ctl({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1"), QStringLiteral("get"), QStringLiteral("0")});
        QCOMPARE(nobody.exitCode, 1);
        QCOMPARE(nobody.err.count(QLatin1Char('\n')), 1);
    }
    // Status, download (new file, refused, appended), clear: the recorder from the command
    // line against the emulator's recorder.
    void recorderDownloadAndClear()
    {
        CEmulatorProcess emu;
        QVERIFY(emu.Start({QStringLiteral("--history"), QStringLiteral("12")}));
        const QStringList tcp{QStringLiteral("--tcp"), emu.TcpAddress()};
        Run r = Ctl(tcp + QStringList{"recorder", "status"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("stored: ")) && r.out.contains(QStringLiteral("newest: ")),
                 qPrintable(r.out + r.err));

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("tank.txt"));
        r = Ctl(tcp + QStringList{"recorder", "download", file, "--decimal", "point", "--separator", "semicolon"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("12 records written")), qPrintable(r.out + r.err));
        CMeasuredValueArray values;
        QCOMPARE(values.LoadFile(file), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(values.GetCount(), 12);
        QCOMPARE(values.FieldSeparator(), QLatin1Char(';'));

        // An existing file is touched only when asked how.
        r = Ctl(tcp + QStringList{"recorder", "download", file, "--separator", "semicolon"});
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains(QStringLiteral("--append")), qPrintable(r.err));
        r = Ctl(tcp + QStringList{"recorder", "download", file, "--separator", "semicolon", "--append"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(values.LoadFile(file), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(values.GetCount(), 24);

        r = Ctl(tcp + QStringList{"recorder", "clear"});
        QCOMPARE(r.exitCode, 3);
        r = Ctl(tcp + QStringList{"--yes", "recorder", "clear"});
        QCOMPARE(r.exitCode, 0);
        r = Ctl(tcp + QStringList{"recorder", "status"});
        QVERIFY2(r.out.contains(QStringLiteral("stored: 0 /")), qPrintable(r.out));
        QCOMPARE(emu.Stop(), 0);
    }
};

QTEST_GUILESS_MAIN(KorvalisctlTest)
#include "korvalisctl_test.moc"
