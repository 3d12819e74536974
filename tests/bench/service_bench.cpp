// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisd against the emulator, two figures:
//   service_bench [READS]   a bulk read of READS parameters (default 800) straight to the
//                           emulator, through the service alone, and through the service
//                           while a second client (korvalisctl identify, again and again, as
//                           the desktop program's page reads) shares it. Prints each time as
//                           a ratio to the protocol floor (two 10 ms pauses per read), the
//                           values that differ from the direct read (a mixed frame would show
//                           here) and the second client's runs and failures.
//   service_bench --soak S  the service alone for S seconds with one controller (emulator
//                           clock 60 times faster) and alert rules: its processor time as a
//                           share of one core and its resident memory at start and end.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <unistd.h>

#include "alerts/CEmailSettings.h"
#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "support/CEmulatorProcess.h"
#include "support/CServiceProcess.h"
#include "support/CSmtpTestServer.h"
#include "support/TestPaths.h"

namespace {
constexpr double kFloorPerReadMs = 20.0;
constexpr int kLiveValuesFrom = 1000;  // live values change between reads; settings do not
const QList<int> kClock = {170, 171};   // the controller's clock runs on

struct Run {
    double ms = 0;
    int failures = 0;
    QList<double> values;
};

Run BulkRead(const QString& host, quint16 port, int reads)
{
    CKorvalisControlApp app;
    CConnection c;
    c.type = CConnection::Tcp;
    c.networkAddress = host;
    c.tcpPort = port;
    Run run;
    if (!app.Connect(&c, false)) {
        run.failures = reads;
        return run;
    }
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < reads; ++i) {
        const bool ok = app.ReadParameter(i % kLiveValuesFrom) == 0;
        run.failures += !ok;
        run.values << (ok ? app.GetLastValue() : -1.0);
    }
    run.ms = wall.nsecsElapsed() / 1e6;
    app.Disconnect();
    return run;
}

int Differences(const Run& a, const Run& b)
{
    int n = 0;
    for (qsizetype i = 0; i < std::min(a.values.size(), b.values.size()); ++i)
        n += a.values[i] != b.values[i] && !kClock.contains(int(i % kLiveValuesFrom));
    return n;
}

void Print(const char* what, const Run& r, int reads)
{
    std::printf("%-38s %8.0f ms  %.3f x floor  (%d failed)\n", what, r.ms, r.ms / (reads * kFloorPerReadMs), r.failures);
}

// utime + stime of a process in seconds, and its resident set in KiB.
bool Sample(qint64 pid, double& cpu, long& rssKiB)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!stat.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray s = stat.readAll();
    const QList<QByteArray> f = s.mid(s.lastIndexOf(')') + 2).split(' ');
    cpu = (f.value(11).toLongLong() + f.value(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            rssKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
    return true;
}

int Share(int reads)
{
    QTemporaryDir dir;
    CEmulatorProcess emulator;
    if (!emulator.Start({"--model", "D"}))
        return 1;
    // Straight to the emulator first: it serves one TCP client, which the service becomes.
    const Run direct = BulkRead("127.0.0.1", emulator.Port(), reads);
    CServiceProcess service(dir.filePath("home"));
    if (!service.Start({"--tcp", emulator.TcpAddress(), "--no-alerts"}) ||
        !service.WaitFor([](const QJsonObject& s) { return s["link"].toObject()["state"] == "up"; }))
        return 1;
    const Run alone = BulkRead("127.0.0.1", service.Port(), reads);

    // The second client: identifications one after the other for as long as the read runs.
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVALIS_HOME", dir.filePath("client"));
    second.setProcessEnvironment(env);
    second.start("sh", {"-c", QStringLiteral("ok=0; bad=0; while [ ! -e %1 ]; do if %2 --tcp %3 identify >/dev/null 2>&1; "
                                             "then ok=$((ok+1)); else bad=$((bad+1)); fi; done; echo $ok $bad")
                                  .arg(dir.filePath("stop"), TestPaths::Program("korvalisctl"), service.Address())});
    QThread::msleep(300);
    const Run shared = BulkRead("127.0.0.1", service.Port(), reads);
    QFile(dir.filePath("stop")).open(QIODevice::WriteOnly);
    second.waitForFinished(60000);
    const QList<QByteArray> counts = second.readAllStandardOutput().trimmed().split(' ');

    std::printf("bulk read of %d parameters, protocol floor %.0f ms\n", reads, reads * kFloorPerReadMs);
    Print("straight to the emulator", direct, reads);
    Print("through korvalisd, alone", alone, reads);
    Print("through korvalisd, with a second client", shared, reads);
    std::printf("values that differ from the direct read: alone %d, shared %d (of %d below %d)\n",
                Differences(direct, alone), Differences(direct, shared), reads, kLiveValuesFrom);
    std::printf("second client (korvalisctl identify): %s runs, %s failed\n", counts.value(0).constData(),
                counts.value(1).constData());
    return Differences(direct, shared) == 0 && shared.failures == 0 && counts.value(1) == "0" ? 0 : 1;
}

int Soak(int seconds)
{
    QTemporaryDir dir;
    CSmtpTestServer smtp({});
    CEmulatorProcess emulator;
    if (smtp.Port() <= 0 || !emulator.Start({"--model", "D", "--time-scale", "60"}))
        return 1;
    const QString data = dir.filePath("home/KorvalisControl");
    QDir().mkpath(data);
    CEmailSettings s(data);
    s.SetFilePath(QDir(data).filePath(CEmailSettings::FileName()));
    CEmail hourly;
    hourly.recipients = {"keeper@example.org"};
    hourly.subject = "Every hour";
    hourly.text = "[SENSOR1] [SOCKETS1-8] [LEVEL]";
    hourly.type = CEmail::Interval;
    hourly.SetTimeMinutes(60);
    CEmail alarm = hourly;
    alarm.subject = "Alarm";
    alarm.type = CEmail::OnAlarm;
    s.rules = {hourly, alarm};
    s.senderAddress = "tank@example.org";
    s.smtpServer = "127.0.0.1";
    s.port = static_cast<uint16_t>(smtp.Port());
    s.Save();
    CServiceProcess service(dir.filePath("home"));
    if (!service.Start({"--tcp", emulator.TcpAddress()}))
        return 1;
    QThread::msleep(10000);  // connected, first cycles run
    double cpu0 = 0, cpu1 = 0;
    long rss0 = 0, rss1 = 0;
    QElapsedTimer wall;
    Sample(service.Pid(), cpu0, rss0);
    wall.start();
    while (wall.elapsed() < seconds * 1000LL) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        QThread::msleep(200);
        smtp.Pending();
    }
    Sample(service.Pid(), cpu1, rss1);
    const double span = wall.elapsed() / 1000.0;
    std::printf("soak of %.0f s, one controller, alert cycle every 30 s, %d e-mails received\n", span, smtp.Pending());
    std::printf("processor time: %.2f s = %.3f %% of one core\n", cpu1 - cpu0, 100.0 * (cpu1 - cpu0) / span);
    std::printf("resident memory: %ld KiB at start, %ld KiB at end\n", rss0, rss1);
    return 0;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English));
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == "--soak")
        return Soak(args.value(1, "600").toInt());
    return Share(args.isEmpty() ? 800 : args.value(0).toInt());
}
