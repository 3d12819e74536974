// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisctl as a hostile user drives it: bad firmware and settings files, special files in
// place of files, values that do not fit, links that die or never answer. Every case ends in
// bounded time (RunCtl gives up after a minute), with its exit status and a message naming
// what happened, and nothing sent or overwritten that should not be.
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "device/CDeviceModel.h"
#include "support/CDeviceModelServer.h"
#include "support/CEmulatorProcess.h"
#include "support/CtlProcess.h"
#include "support/SRecordMaker.h"
#include "support/TestPaths.h"

using SRecordMaker::Line;

namespace {
// One hundred timers: long enough for a link to die in the middle of a bulk transfer.
const QByteArray kList =
    "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 4\r\n6, \"CODE_SERIALNUMBER\", 0\r\n"
    "[STARTBLOCK]\r\nBLOCKCOUNT = 100\r\nBLOCKSIZE = 1\r\n500, \"TIMER\", 0\r\n[ENDBLOCK]\r\n";

class Home {
public:
    Home()
    {
        QDir().mkpath(Path(QStringLiteral("KorvalisControl")));
        Write(QStringLiteral("ParaList_V408_KorvalisD.def"), kList);
        Write(QStringLiteral("system.ini"), "[V408]\nBinDir=" + m_dir.path().toUtf8() + "\n");
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QString Write(const QString& name, const QByteArray& content) const
    {
        QFile f(Path(name));
        if (f.open(QIODevice::WriteOnly)) f.write(content);
        return f.fileName();
    }
    QByteArray Read(const QString& name) const
    {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString Fifo(const QString& name) const
    {
        ::mkfifo(QFile::encodeName(Path(name)).constData(), 0600);
        return Path(name);
    }
    // The short list is korvalisctl's alone; an emulator seeds itself from the shipped ones.
    CtlResult Ctl(const QStringList& args) const
    {
        qputenv("KORVALIS_SYSTEM_SETTINGS", Path(QStringLiteral("system.ini")).toLocal8Bit());
        const CtlResult r = RunCtl(args, m_dir.path());
        qunsetenv("KORVALIS_SYSTEM_SETTINGS");
        return r;
    }

private:
    QTemporaryDir m_dir;
};

bool IsFifo(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

int Lines(const QByteArray& text)
{
    return int(text.count('\n'));
}
}  // namespace

class KorvalisctlRobustnessTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Refused before anything reaches the controller: firmware files that are no complete
    // image, special files, values and texts that do not fit, settings lines that do not.
    void refusedBeforeAnythingIsSent_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");       // written to FILE in the home folder ("fifo", "dir": special)
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        const QByteArray header = Line(0, 0, "fw") + "\r\n";
        const QByteArray data = Line(2, 0x1000, "abcd") + "\r\n";
        const QByteArray end = Line(8, 0x1000, {}) + "\r\n";
        const QStringList check{QStringLiteral("check-firmware"), QStringLiteral("FILE")};
        const QStringList flash{QStringLiteral("--yes"), QStringLiteral("firmware"), QStringLiteral("FILE")};
        QTest::newRow("empty firmware") << flash << "f.s28" << QByteArray() << 5 << "no data record";
        QTest::newRow("header only") << check << "f.s28" << header << 5 << "no data record";
        QTest::newRow("CR line ends, header only") << check << "f.s28" << QByteArray(header).replace("\r\n", "\r")
                                                   << 5 << "no data record";
        QTest::newRow("no termination") << flash << "f.s28" << header + data + data << 5 << "no termination record";
        QTest::newRow("termination in the middle")
            << flash << "f.s28" << header + data + end + data + end << 5 << "line 4: a record after the termination";
        QTest::newRow("firmware FIFO") << check << "fifo" << QByteArray() << 4 << "FIFO";
        QTest::newRow("firmware directory") << flash << "dir" << QByteArray() << 4 << "is a directory";
        QTest::newRow("set nan") << QStringList{"set", "300", "nan"} << "" << QByteArray() << 2 << "is not a value";
        QTest::newRow("set inf") << QStringList{"set", "300", "-inf"} << "" << QByteArray() << 2 << "is not a value";
        QTest::newRow("set 1e20") << QStringList{"set", "300", "1e20"} << "" << QByteArray() << 2 << "is not a value";
        QTest::newRow("set 2^32") << QStringList{"set", "300", "4294967296"} << "" << QByteArray() << 2
                                  << "is not a value";
        QTest::newRow("set below -2^31") << QStringList{"set", "300", "-2147483649"} << "" << QByteArray() << 2
                                         << "is not a value";
        QTest::newRow("set-text outside Latin-1")
            << QStringList{"set-text", "1228", QString::fromUtf8("Becken \xce\xa9")} << "" << QByteArray() << 2
            << "ISO-8859-1";
        const QStringList load{QStringLiteral("--yes"), QStringLiteral("load-settings"), QStringLiteral("FILE")};
        QTest::newRow("load a directory") << load << "dir" << QByteArray() << 1 << "is a directory";
        QTest::newRow("load a FIFO") << load << "fifo" << QByteArray() << 1 << "FIFO";
        QTest::newRow("number beyond 32 bits")
            << load << "s.par" << kList.left(kList.indexOf("[STARTBLOCK]")) + "501, \"T\", 99999999999\r\n" << 1
            << "not a valid settings file";
        QTest::newRow("text beyond 255 bytes")
            << load << "s.par"
            << kList.left(kList.indexOf("[STARTBLOCK]")) + "501, \"T\", 7\r\n1228, \"NAME\", \"" + QByteArray(300, 'a') +
                   "\"\r\n"
            << 1 << "holds a text of 300 bytes";
    }
    void refusedBeforeAnythingIsSent()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        Home home;
        QString path;
        if (file == QLatin1String("fifo"))
            path = home.Fifo(file);
        else if (file == QLatin1String("dir"))
            path = home.Path(QStringLiteral("KorvalisControl"));
        else if (!file.isEmpty())
            path = home.Write(file, content);
        args.replaceInStrings(QStringLiteral("FILE"), path);
        CDeviceModel model;
        CDeviceModelServer server(model);
        const CtlResult r =
            home.Ctl(QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp())} + args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(says), qPrintable(r.err));
        QVERIFY2(model.Writes().isEmpty(), "something was written to the controller");
    }

    void completeImageInAnyLineEndPasses()
    {
        Home home;
        const QString path = home.Write(QStringLiteral("ok.s28"), SRecordMaker::Image(100, 0x1000, 0, "\r"));
        const CtlResult r = home.Ctl({QStringLiteral("check-firmware"), path});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("records: 5\n")), qPrintable(r.out));
    }

    // A save never turns a FIFO or a folder into a file, and writes through a link.
    void saveTargetsThatAreNoFile()
    {
        Home home;
        CDeviceModel model;
        CDeviceModelServer server(model);
        const QStringList tcp{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp())};
        const QString fifo = home.Fifo(QStringLiteral("target"));
        for (const QStringList& command : {QStringList{"save-settings"}, QStringList{"recorder", "download"}}) {
            for (const QString& target : {fifo, home.Path(QStringLiteral("KorvalisControl"))}) {
                const CtlResult r = home.Ctl(tcp + command + QStringList{target});
                QCOMPARE(r.exitCode, 1);
                QVERIFY2(r.err.contains(QStringLiteral("not a regular file")) ||
                             r.err.contains(QStringLiteral("is a directory")),
                         qPrintable(r.err));
            }
            QVERIFY(IsFifo(fifo));
        }
        const QString real = home.Write(QStringLiteral("real.par"), "old");
        const QString link = home.Path(QStringLiteral("link.par"));
        QVERIFY(QFile::link(real, link));
        const CtlResult r = home.Ctl(tcp + QStringList{QStringLiteral("save-settings"), link});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(home.Read(QStringLiteral("real.par")).startsWith("0, \"CODE_SOFTWAREVERSION\""));
    }

    // A link that dies ends a bulk transfer at once: one message, nothing saved, the old
    // backup kept, a non-zero exit, also with --on-error ignore.
    void deadLinkEndsABulkTransfer_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("save") << "save-settings";
        QTest::newRow("load") << "load-settings";
    }
    void deadLinkEndsABulkTransfer()
    {
        QFETCH(QString, command);
        Home home;
        CEmulatorProcess emu;
        QVERIFY(emu.Start({QStringLiteral("--close-after"), QStringLiteral("70")}));
        const QByteArray backup = kList.left(kList.indexOf("[STARTBLOCK]")) + "500, \"TIMER\", 7\r\n";
        const QString file = home.Write(QStringLiteral("backup.par"), backup);
        const CtlResult r = home.Ctl({QStringLiteral("--tcp"), emu.TcpAddress(), QStringLiteral("--on-error"),
                                      QStringLiteral("ignore"), command,
                                      command == QLatin1String("load-settings") ? home.Write("big.par", kList) : file});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("connection to the device was lost")), qPrintable(r.err));
        QVERIFY2(r.err.count(QStringLiteral("status 80")) <= 2, qPrintable(r.err));
        QVERIFY(!r.err.contains(QStringLiteral("The transfer is complete")));
        QCOMPARE(home.Read(QStringLiteral("backup.par")), backup);
    }

    // Records read before a failure are gone from the controller: they are saved behind the
    // file's old content, and a killed download leaves them beside it for the next one.
    void recorderRecordsAreNeverLost()
    {
        Home home;
        const QString file = home.Path(QStringLiteral("tank.txt"));
        const auto download = [&](const CEmulatorProcess& emu) {
            return home.Ctl({QStringLiteral("--tcp"), emu.TcpAddress(), QStringLiteral("recorder"),
                             QStringLiteral("download"), file, QStringLiteral("--append")});
        };
        {
            CEmulatorProcess whole;
            QVERIFY(whole.Start({QStringLiteral("--history"), QStringLiteral("50")}));
            const CtlResult first = download(whole);
            QVERIFY2(first.exitCode == 0, qPrintable(first.err));
            const QByteArray before = home.Read(QStringLiteral("tank.txt"));
            QCOMPARE(Lines(before), 51);
            CEmulatorProcess emu;
            QVERIFY(emu.Start({QStringLiteral("--history"), QStringLiteral("50"), QStringLiteral("--close-after"),
                               QStringLiteral("60")}));
            const CtlResult r = download(emu);
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains(QStringLiteral("The download is incomplete")), qPrintable(r.err));
            const QByteArray after = home.Read(QStringLiteral("tank.txt"));
            QVERIFY(after.startsWith(before));
            QVERIFY2(r.err.contains(QStringLiteral(": %1 of 50 records").arg(Lines(after) - Lines(before))),
                     qPrintable(r.err));
            QVERIFY(Lines(after) > Lines(before));
            QVERIFY(!QFile::exists(file + QStringLiteral(".part")));
        }

        // Killed in the middle: the side file holds what was read, and the next download
        // adds it (with --yes) before it reads the controller again.
        QFile::remove(file);
        CEmulatorProcess slow;
        QVERIFY(slow.Start({QStringLiteral("--history"), QStringLiteral("50"), QStringLiteral("--baud"),
                            QStringLiteral("1200")}));
        QProcess ctl;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVALIS_HOME"), home.Path(QString()));
        ctl.setProcessEnvironment(env);
        ctl.start(TestPaths::Program("korvalisctl"),
                  {QStringLiteral("--tcp"), slow.TcpAddress(), QStringLiteral("recorder"), QStringLiteral("download"),
                   file});
        QTRY_VERIFY_WITH_TIMEOUT(Lines(home.Read(QStringLiteral("tank.txt.part"))) >= 4, 60000);
        ::kill(static_cast<pid_t>(ctl.processId()), SIGKILL);
        QVERIFY(ctl.waitForFinished(10000));
        const int kept = Lines(home.Read(QStringLiteral("tank.txt.part"))) - 1;
        QVERIFY(!QFile::exists(file));
        CEmulatorProcess fast;
        QVERIFY(fast.Start({QStringLiteral("--history"), QStringLiteral("50")}));
        const CtlResult r = home.Ctl({QStringLiteral("--tcp"), fast.TcpAddress(), QStringLiteral("--yes"),
                                      QStringLiteral("recorder"), QStringLiteral("download"), file,
                                      QStringLiteral("--append")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("The %1 records of the interrupted download were added").arg(kept)),
                 qPrintable(r.err));
        QCOMPARE(Lines(home.Read(QStringLiteral("tank.txt"))), 1 + kept + 50);
        QVERIFY(!QFile::exists(file + QStringLiteral(".part")));
    }

    // Each connect failure names its cause.
    void connectFailuresAreNamed_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("timeout");
        QTest::addColumn<QString>("says");
        QTest::newRow("refused") << "REFUSED" << "5000" << "refused the connection";
        QTest::newRow("unknown host") << "no-such-host.invalid:10001" << "5000" << "is unknown or not a valid address";
        QTest::newRow("invalid address") << "999.1.2.3:10001" << "5000" << "is unknown or not a valid address";
        QTest::newRow("silent device") << "SILENT" << "300" << "status 40: no complete answer within the reply timeout";
        // A garbled end byte reads as no answer; any other byte as a malformed one.
        QTest::newRow("garbled answers") << "GARBLED" << "300" << "(status ";
    }
    void connectFailuresAreNamed()
    {
        QFETCH(QString, where);
        QFETCH(QString, timeout);
        QFETCH(QString, says);
        Home home;
        QTcpServer silent;  // accepted by the kernel, never answered
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        CDeviceModel model;
        CDeviceModel::Faults faults;
        faults.garbleRate = 1.0;
        model.SetFaults(faults);
        CDeviceModelServer garbled(model);
        if (where == QLatin1String("REFUSED")) {
            QTcpServer gone;
            QVERIFY(gone.listen(QHostAddress::LocalHost));
            where = QStringLiteral("127.0.0.1:%1").arg(gone.serverPort());
        } else if (where == QLatin1String("SILENT")) {
            where = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
        } else if (where == QLatin1String("GARBLED")) {
            where = QStringLiteral("127.0.0.1:%1").arg(garbled.ServeTcp());
        }
        const CtlResult r =
            home.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("--timeout"), timeout, QStringLiteral("identify")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("cannot connect: ")) && r.err.contains(says), qPrintable(r.err));
    }

    // Stored files that are damaged or no files at all: every command still runs, says so,
    // and uses nothing implausible.
    void storedFilesThatCannotBeUsed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");  // empty: a FIFO
        QTest::addColumn<QString>("says");
        QByteArray random;
        for (int i = 0; i < 600; ++i) random.append(char((i * 7919 + 13) % 251));
        QTest::newRow("Connections.dat random") << "KorvalisControl/Connections.dat" << random << "is damaged";
        QTest::newRow("Connections.dat NULs") << "KorvalisControl/Connections.dat" << QByteArray(64, '\0')
                                              << "is damaged";
        QTest::newRow("Connections.dat FIFO") << "KorvalisControl/Connections.dat" << QByteArray() << "FIFO";
        QTest::newRow("EmailSettings.dat random") << "KorvalisControl/EmailSettings.dat" << random << "file damaged";
        QTest::newRow("EmailSettings.dat FIFO") << "KorvalisControl/EmailSettings.dat" << QByteArray() << "FIFO";
        QTest::newRow("settings file FIFO") << "KorvalisControl.ini" << QByteArray() << "FIFO";
    }
    void storedFilesThatCannotBeUsed()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        Home home;
        if (content.isEmpty())
            home.Fifo(name);
        else
            home.Write(name, content);
        const CtlResult r = home.Ctl({QStringLiteral("connections")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(says), qPrintable(r.err));
        // Nothing of the damage is offered as a connection: the two first-start defaults.
        QCOMPARE(r.out.count(QLatin1Char('\n')), 2);
    }

    // A client that sends half a frame and waits is dropped, so the next one gets its turn.
    void silentClientDoesNotBlockTheEmulator()
    {
        CEmulatorProcess emu;
        QVERIFY(emu.Start({QStringLiteral("--stall-limit"), QStringLiteral("500")}));
        QTcpSocket hog;
        hog.connectToHost(QHostAddress::LocalHost, emu.Port());
        QVERIFY(hog.waitForConnected(10000));
        hog.write("\x01\x51\x70");  // SOH and an address, then nothing
        QVERIFY(hog.waitForBytesWritten(10000));
        Home home;
        const CtlResult r = home.Ctl({QStringLiteral("--tcp"), emu.TcpAddress(), QStringLiteral("identify")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(emu.ErrorOutput().contains(QStringLiteral("it left a frame unfinished for 500 ms")),
                 qPrintable(emu.ErrorOutput()));
    }
};

QTEST_GUILESS_MAIN(KorvalisctlRobustnessTest)
#include "korvalisctlRobustness_test.moc"
