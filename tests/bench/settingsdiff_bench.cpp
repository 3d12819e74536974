// SPDX-License-Identifier: GPL-3.0-or-later
// 1. Restoring a Korvalis G 4.08 backup into a controller that differs in 10 parameters,
//    over loopback TCP against korvalis-emulator: the whole-file load and the load that
//    reads first and writes only the differences (load-settings --only-changed), each as a
//    ratio to the protocol floor of its own transfers (every read and every write is a
//    request and a poll, each after a 10 ms pause).
// 2. Comparing two files of the same list in memory (target: under 50 ms).
//    settingsdiff_bench [rounds]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "lang/CLanguage.h"
#include "link/CMyAsyncSocket.h"
#include "link/CSWMBus.h"
#include "params/CParameterArray.h"
#include "params/CSettingsComparison.h"
#include "params/CTransferUi.h"
#include "support/CEmulatorProcess.h"
#include "support/CSilentTransferUi.h"
#include "support/TestPaths.h"

namespace {
constexpr int kProduct = 8;  // Korvalis G: the longest list
constexpr int kFirmware = 408;
constexpr double kFrame = 0.020;  // request and poll, 10 ms pause each
// Ten settings of different pages: a run point, a timer, a reminder, pumps, a sensor setpoint,
// the recorder, a switch plug, a logic element.
constexpr int kChanged[10] = {182, 246, 500, 442, 885, 15, 780, 684, 912, 756};

bool Disturb(CSWMBus& bus, const CParameterArray& backup, int salt) {
    for (int n : kChanged) {
        const int i = backup.IndexOfNumber(static_cast<uint16_t>(n));
        if (i < 0 ||
            bus.WriteValue(static_cast<int16_t>(n), backup[i].FileValue() + salt) != CSWMBus::Ok)
            return false;
    }
    return true;
}

int RestoreBench() {
    CEmulatorProcess emulator;
    if (!emulator.Start({QStringLiteral("--model"), QStringLiteral("G"),
                         QStringLiteral("--firmware"), QString::number(kFirmware),
                         QStringLiteral("--history"), QStringLiteral("0")})) {
        std::fprintf(stderr, "korvalis-emulator did not start: %s\n",
                     qPrintable(emulator.ErrorOutput()));
        return 1;
    }
    CMyAsyncSocket socket;
    if (!socket.ConnectTo(QStringLiteral("127.0.0.1"), emulator.Port(), false)) return 1;
    CSWMBus bus(&socket, 5000);
    bus.SetDeviceAddress(1);
    bus.Read(0);

    // The backup: what the controller holds now, read as a save does.
    CParameterArray backup;
    if (backup.LoadParameterList(TestPaths::SourceDir() + QStringLiteral("/data/paralists"),
                                 kProduct, kFirmware) != CParameterArray::FileResult::Ok)
        return 1;
    CSilentTransferUi ui(CUserInteraction::IdOk);
    if (backup.ReadAllFromController(bus, ui) != 0) return 1;
    const int n = backup.Count();
    int identification = 0;
    for (const CParameter& p : backup) identification += p.IsIdentification() ? 1 : 0;

    CParameterArray::WriteOptions options;
    options.knownDeviceVersion = kFirmware;

    // Whole file: one version read, then every element but the identification.
    if (!Disturb(bus, backup, 1)) return 1;
    CParameterArray whole = backup;
    QElapsedTimer t;
    t.start();
    if (whole.WriteAllToController(bus, ui, options) != 0) return 1;
    const double wholeSeconds = t.nsecsElapsed() / 1e9;
    const int wholeFrames = 1 + n - identification;

    // Only the differences: the bulk read of the list, the comparison, one version read and
    // the ten writes.
    if (!Disturb(bus, backup, 2)) return 1;
    t.restart();
    CParameterArray read = backup;
    if (read.ReadAllFromController(bus, ui) != 0) return 1;
    CSettingsComparison::Context context;
    context.knownDeviceVersion = kFirmware;
    const CSettingsComparison comparison = CSettingsComparison::Compare(read, backup, context);
    CParameterArray checked = comparison.CheckedList();
    if (checked.WriteAllToController(bus, ui, options) != 0) return 1;
    const double onlySeconds = t.nsecsElapsed() / 1e9;
    const int onlyFrames = n + 1 + comparison.Checked();

    std::printf(
        "restore of a Korvalis G 4.08 backup (%d parameters) into a controller differing in %d, "
        "loopback TCP, korvalis-emulator:\n",
        n, comparison.Checked());
    std::printf("  whole file:     %6.3f s, %4d transfers, floor %6.3f s, ratio %.4f\n",
                wholeSeconds, wholeFrames, wholeFrames * kFrame,
                wholeSeconds / (wholeFrames * kFrame));
    std::printf("  --only-changed: %6.3f s, %4d transfers (%d writes), floor %6.3f s, ratio %.4f\n",
                onlySeconds, onlyFrames, comparison.Checked(), onlyFrames * kFrame,
                onlySeconds / (onlyFrames * kFrame));
    std::printf("  writes: %d against %d (%.1f %%)\n", comparison.Checked(), n - identification,
                100.0 * comparison.Checked() / (n - identification));
    return comparison.Checked() == 10 ? 0 : 1;
}

void CompareBench(int rounds) {
    CParameterArray a;
    a.LoadParameterList(TestPaths::SourceDir() + QStringLiteral("/data/paralists"), kProduct,
                        kFirmware);
    CParameterArray b = a;
    for (int i = 0; i < b.Count(); i += 9) {
        CParameter p = b[i];
        p.Value += 1;
        b.SetAt(i, p);
    }
    const QByteArray fileA = a.FormatText();
    const QByteArray fileB = b.FormatText();
    std::vector<double> compareMs;
    std::vector<double> withParseMs;
    CSettingsComparison::Context context;
    context.againstController = false;
    int differences = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        CParameterArray x;
        CParameterArray y;
        x.ReadText(fileA);
        y.ReadText(fileB);
        const qint64 parsed = t.nsecsElapsed();
        const CSettingsComparison c = CSettingsComparison::Compare(x, y, context);
        const QByteArray report = c.Report(CSettingsComparison::ReportFormat::Text,
                                           QStringLiteral("a"), QStringLiteral("b"));
        withParseMs.push_back(t.nsecsElapsed() / 1e6);
        compareMs.push_back((t.nsecsElapsed() - parsed) / 1e6);
        differences =
            c.Count(CSettingsComparison::State::Differs) + static_cast<int>(report.isEmpty());
    }
    std::sort(compareMs.begin(), compareMs.end());
    std::sort(withParseMs.begin(), withParseMs.end());
    std::printf(
        "comparison of two %d-parameter files (%d differences): median %.2f ms, worst %.2f ms; "
        "with reading both files %.2f ms (target < 50 ms)\n",
        a.Count(), differences, compareMs[compareMs.size() / 2], compareMs.back(),
        withParseMs[withParseMs.size() / 2]);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The rows' names and display texts come from the catalogue, as in the program.
    CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English));
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 21;
    CompareBench(rounds);
    return RestoreBench();
}
