// SPDX-License-Identifier: GPL-3.0-or-later
// korvalis-emulator as a process: korvalisctl identifies it over TCP and over its
// pseudo-terminal, it answers discovery, serves clients one after another, keeps its state
// across runs, paces answers like a serial line, and stands up to arbitrary bytes.
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "device/CDeviceModel.h"
#include "link/CFrameCodec.h"
#include "support/CEmulatorProcess.h"
#include "support/CtlProcess.h"
#include "support/TestPaths.h"

namespace {

CtlResult Ctl(const QStringList& args)
{
    static QTemporaryDir home;
    return RunCtl(args, home.path());
}

// A read request and poll for parameter 2 at bus address 1, as the PC sends them.
QByteArray ReadRequest(int number)
{
    QByteArray f = CFrameCodec::Header(0x51, 0x70);
    f.append('\x02');
    f.append(CFrameCodec::EncodeNibbles(static_cast<uint32_t>(number), 0x40));
    f.append('\x05');
    CFrameCodec::CloseFrame(f);
    f.append("\xFF\xFF");
    QByteArray poll = CFrameCodec::Header(0x51, 0x70);
    poll.append("\x04\xFF\xFF");
    return f + poll;
}

QByteArray WriteRequest(int number, uint32_t value)
{
    QByteArray f = CFrameCodec::Header(0x51, 0x70);
    f.append('\x02');
    f.append(CFrameCodec::EncodeNibbles(static_cast<uint32_t>(number), 0x40));
    f.append(CFrameCodec::EncodeNibbles(value, 0x30));
    CFrameCodec::CloseFrame(f);
    f.append("\xFF\xFF");
    QByteArray poll = CFrameCodec::Header(0x51, 0x70);
    poll.append("\x04\xFF\xFF");
    return f + poll;
}

QByteArray ReadExactly(QTcpSocket& s, int count, int boundMs = 10000)
{
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.size() < count && t.elapsed() < boundMs) {
        if (s.bytesAvailable() || s.waitForReadyRead(boundMs - static_cast<int>(t.elapsed())))
            got += s.read(count - got.size());
    }
    return got;
}

// Reads from a socket until an EOT arrives or the bound passes.
QByteArray ReadAnswer(QTcpSocket& s, int boundMs = 10000)
{
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (!got.contains('\x04') && t.elapsed() < boundMs) {
        if (s.bytesAvailable() || s.waitForReadyRead(boundMs - static_cast<int>(t.elapsed())))
            got += s.readAll();
    }
    return got;
}
}  // namespace

class CEmulatorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void identifiesOverTcp()
    {
        CEmulatorProcess emu;
        QVERIFY(emu.Start({"--model", "G", "--firmware", "406", "--serial", "4711", "--sms", "--sensors", "1,9,0,10"}));
        const CtlResult r = Ctl({"--tcp", emu.TcpAddress(), "--timeout", "2000", "--sms", "identify"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("model: Korvalis G\n"), qPrintable(r.out));
        QVERIFY(r.out.contains("product-code: 8\n"));
        QVERIFY(r.out.contains("firmware: 406\n"));
        QVERIFY(r.out.contains("serial: 4711\n"));
        QVERIFY(r.out.contains("sensor1: 1 "));
        QVERIFY(r.out.contains("sensor2: 9 "));
        QVERIFY(r.out.contains("sensor4: 10 "));
        QVERIFY(!r.out.contains("sensor3:"));
        QVERIFY(r.out.contains("sms-module: yes"));
    }

    void startsFromTheShippedListWithRecorderHistory()
    {
        {
            CEmulatorProcess emu;
            QVERIFY(emu.Start({"--model", "B", "--firmware", "404", "--address", "7"}));
            const QStringList ctl{"--tcp", emu.TcpAddress(), "--address", "7"};
            // Latitude 47.5 comes from the model's list, not the built-in 48.2.
            QCOMPARE(Ctl(ctl + QStringList{"get", "177"}).out, QString("475\n"));
            QCOMPARE(Ctl(ctl + QStringList{"get", "780"}).out, QString("15\n"));
            // The list's address 1 does not move a controller started at 7; identity stays.
            QCOMPARE(Ctl(ctl + QStringList{"get", "2"}).out, QString("3\n"));
            QCOMPARE(Ctl(ctl + QStringList{"get", "0"}).out, QString("404\n"));
            QVERIFY(Ctl(ctl + QStringList{"get", "1160"}).out.trimmed().toLongLong() > 0);
        }
        QTemporaryDir empty;
        CEmulatorProcess bare;
        QVERIFY(bare.Start({"--list-folder", empty.path(), "--history", "0"}));
        QCOMPARE(Ctl({"--tcp", bare.TcpAddress(), "get", "177"}).out, QString("482\n"));
        QCOMPARE(Ctl({"--tcp", bare.TcpAddress(), "get", "1160"}).out, QString("0\n"));
    }

    void identifiesOverItsPseudoTerminal()
    {
        CEmulatorProcess emu;
        QVERIFY(emu.StartPty({"--model", "B"}));
        QVERIFY(emu.TerminalPath().startsWith("/dev/"));
        for (int round = 0; round < 2; ++round) {  // the port can be opened again
            const CtlResult r = Ctl({"--serial", emu.TerminalPath(), "--timeout", "2000", "identify"});
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.out.contains("model: Korvalis B\n"), qPrintable(r.out + r.err));
        }
        const CtlResult panel = Ctl({"--serial", emu.TerminalPath(), "get", "1151", "--text"});
        QCOMPARE(panel.exitCode, 0);
        QVERIFY(panel.out.startsWith("Korvalis B "));
    }

    void passwordAndRefusedWritesReachTheUser()
    {
        CEmulatorProcess emu;
        QVERIFY(emu.Start({"--password", "1234"}));
        QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "identify"}).exitCode, 1);
        QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "--password", "1234", "identify"}).exitCode, 0);
        const CtlResult r = Ctl({"--tcp", emu.TcpAddress(), "--password", "1234", "set", "1101", "9"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("status 64"), qPrintable(r.err));
        QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "--password", "1234", "set", "1101", "5"}).exitCode, 0);
        const CtlResult mode = Ctl({"--tcp", emu.TcpAddress(), "--password", "1234", "get", "1101"});
        QCOMPARE(mode.out, QString("5\n"));
    }

    void answersDiscovery()
    {
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
        // A free UDP port for the emulator to answer on.
        QUdpSocket finder;
        QVERIFY(finder.bind(QHostAddress::LocalHost, 0));
        const quint16 discoveryPort = finder.localPort();
        finder.close();
        CEmulatorProcess emu;
        QVERIFY(emu.Start({"--discovery-port", QString::number(discoveryPort)}));
        QByteArray query(18, '\0');
        query[3] = char(0xF8);
        probe.writeDatagram(QByteArray("not a query"), QHostAddress::LocalHost, discoveryPort);
        probe.writeDatagram(query, QHostAddress::LocalHost, discoveryPort);
        QVERIFY(probe.waitForReadyRead(10000));
        const QNetworkDatagram answer = probe.receiveDatagram();
        QCOMPARE(answer.data().left(4), QByteArray::fromHex("000000F9"));
        QCOMPARE((uint8_t(answer.data()[4]) << 8) | uint8_t(answer.data()[5]), int(emu.Port()));
        QVERIFY(!probe.waitForReadyRead(300));  // nothing for the other datagram
    }

    void servesClientsOneAfterAnother()
    {
        CEmulatorProcess emu;
        QVERIFY(emu.Start());
        QTcpSocket first, second;
        first.connectToHost(QHostAddress::LocalHost, emu.Port());
        QVERIFY(first.waitForConnected(10000));
        second.connectToHost(QHostAddress::LocalHost, emu.Port());
        QVERIFY(second.waitForConnected(10000));
        second.write(ReadRequest(2));  // waits its turn
        QVERIFY(second.waitForBytesWritten(10000));
        first.write(ReadRequest(2));
        QVERIFY(ReadAnswer(first).contains('\x04'));
        QVERIFY(!second.waitForReadyRead(300));
        first.disconnectFromHost();
        const QByteArray answer = ReadAnswer(second);
        QVERIFY(answer.startsWith("\x01\x70\x51"));
        // And a third later on.
        second.disconnectFromHost();
        QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "get", "2"}).out, QString("4\n"));
    }

    void keepsItsStateAcrossRuns()
    {
        QTemporaryDir dir;
        const QString state = dir.filePath("state.txt");
        {
            CEmulatorProcess emu;
            QVERIFY(emu.Start({"--state", state, "--sms"}));
            QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "set", "15", "268"}).exitCode, 0);
            QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "set-text", "1141", "HOME-NET"}).exitCode, 0);
            QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "set", "1101", "5"}).exitCode, 0);
            QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "--sms", "set", "86", "1"}).exitCode, 0);
            QCOMPARE(emu.Stop(), 0);
        }
        QFile f(state);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray saved = f.readAll();
        f.close();
        QVERIFY2(saved.contains("\nC 15 268\n"), saved.constData());
        QVERIFY(saved.contains("\nC 1141 :" + QByteArray("HOME-NET").toHex() + "\n"));
        QVERIFY(saved.contains("\nS 86 1\n"));
        QVERIFY2(!saved.contains("\nC 1101 "), "operating modes do not survive a restart");
        QVERIFY(!saved.contains("\nC 1000 "));
        QVERIFY(!saved.contains("\nC 2 "));
        {
            CEmulatorProcess emu;
            QVERIFY(emu.Start({"--state", state, "--sms"}));
            QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "get", "15"}).out, QString("268\n"));
            QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "get", "1141", "--text"}).out, QString("HOME-NET\n"));
            QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "get", "1101"}).out, QString("0\n"));
            QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "--sms", "get", "86"}).out, QString("1\n"));
        }
        // A damaged state file is reported line by line and does not stop the emulator.
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("C 15 270\nrubbish\nC 16 :0\nX 1 2\nC 2 99\n");
        f.close();
        CEmulatorProcess emu;
        QVERIFY(emu.Start({"--state", state}));
        QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "get", "15"}).out, QString("270\n"));
        QCOMPARE(Ctl({"--tcp", emu.TcpAddress(), "get", "2"}).out, QString("4\n"));
        QVERIFY(emu.ErrorOutput().contains("ignored"));
    }

    void pacesAnswersLikeASerialLine()
    {
        CEmulatorProcess emu;
        QVERIFY(emu.StartPty({"--baud", "1200"}));
        const int fd = ::open(emu.TerminalPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        const QByteArray request = ReadRequest(2);
        QElapsedTimer t;
        t.start();
        QCOMPARE(::write(fd, request.constData(), size_t(request.size())), ssize_t(request.size()));
        QByteArray got;
        while (!got.contains('\x04') && t.elapsed() < 20000) {
            char buffer[64];
            fd_set set;
            FD_ZERO(&set);
            FD_SET(fd, &set);
            timeval tv{1, 0};
            if (select(fd + 1, &set, nullptr, nullptr, &tv) > 0) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0)
                    got.append(buffer, n);
            }
        }
        const qint64 elapsed = t.elapsed();
        ::close(fd);
        QVERIFY(got.contains('\x04'));
        // Request and answer at 120 bytes a second cannot be quicker than this.
        const qint64 lineMs = (request.size() + got.size()) * 10 * 1000 / 1200;
        QVERIFY2(elapsed >= lineMs - 5, qPrintable(QString("%1 ms for %2 ms of line time").arg(elapsed).arg(lineMs)));
    }

    void arbitraryBytesNeitherCrashNorHangIt_data()
    {
        QTest::addColumn<bool>("pty");
        QTest::newRow("tcp") << false;
        QTest::newRow("pty") << true;
    }

    void arbitraryBytesNeitherCrashNorHangIt()
    {
        QFETCH(bool, pty);
        CEmulatorProcess emu;
        QVERIFY(pty ? emu.StartPty() : emu.Start());
        QRandomGenerator random(20240501);
        QByteArray noise(256 * 1024, '\0');
        for (char& c : noise)
            c = static_cast<char>(random.generate() & 0xFF);
        // Sprinkle frame starts and ends so the parser is exercised, not just skipped.
        for (int i = 0; i < noise.size(); i += 97)
            noise[i] = (i / 97) % 2 ? '\x01' : '\x04';
        if (pty) {
            const int fd = ::open(emu.TerminalPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            QVERIFY(fd >= 0);
            qsizetype sent = 0;
            QElapsedTimer t;
            t.start();
            while (sent < noise.size() && t.elapsed() < 30000) {
                const ssize_t n = ::write(fd, noise.constData() + sent, size_t(qMin<qsizetype>(4096, noise.size() - sent)));
                if (n > 0)
                    sent += n;
                char sink[4096];
                while (::read(fd, sink, sizeof sink) > 0) {
                }
                if (n <= 0)
                    QTest::qWait(5);
            }
            ::close(fd);
            QCOMPARE(sent, noise.size());
        } else {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, emu.Port());
            QVERIFY(s.waitForConnected(10000));
            for (qsizetype i = 0; i < noise.size(); i += 8192) {
                s.write(noise.mid(i, 8192));
                s.waitForBytesWritten(10000);
                s.readAll();
            }
            s.disconnectFromHost();
        }
        QVERIFY(emu.IsRunning());
        const QStringList link = pty ? QStringList{"--serial", emu.TerminalPath()} : QStringList{"--tcp", emu.TcpAddress()};
        const CtlResult r = Ctl(link + QStringList{"--timeout", "2000", "identify"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(emu.Stop(), 0);
    }

    void bootLoaderTakesTheLineAfter5003()
    {
        CEmulatorProcess emu;
        QVERIFY(emu.Start());
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, emu.Port());
        QVERIFY(s.waitForConnected(10000));
        s.write(WriteRequest(5003, 0));
        QCOMPARE(ReadAnswer(s), QByteArray::fromHex("017051C20206038F04"));
        s.write("ABCDE");
        QCOMPARE(ReadExactly(s, 5), QByteArray("ABCDE"));
        // An end record (type 9, three bytes: address 0000, checksum) restarts the controller.
        s.write(QByteArray::fromHex("090300" "00FC"));
        QCOMPARE(ReadExactly(s, 2), QByteArray("ZW"));
        s.write(ReadRequest(2));
        QVERIFY(ReadAnswer(s).startsWith("\x01\x70\x51"));
    }

    void refusesBadCommandLines()
    {
        for (const QStringList& args : {QStringList{"--model", "H"}, QStringList{"--drop", "2"},
                                        QStringList{"--sensors", "1,6"}, QStringList{"--port", "x"},
                                        QStringList{"--bogus"}, QStringList{"--address"}}) {
            QProcess p;
            p.start(TestPaths::Program("korvalis-emulator"), args);
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 2);
            QVERIFY(!p.readAllStandardError().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(CEmulatorTest)
#include "CEmulator_test.moc"
