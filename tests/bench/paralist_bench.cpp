// SPDX-License-Identifier: GPL-3.0-or-later
// 1. Parsing a 100 000-line parameter text file (target: under 100 ms).
// 2. The bulk read of the largest parameter list (Korvalis G, firmware 4.08) over loopback
//    TCP against the device model served by a child process, against the protocol floor:
//    two 10 ms pauses per parameter (request and poll) plus the time on the wire.
//    Target: within 5 % of the floor.
//    paralist_bench [lines] [rounds]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "device/CDeviceModel.h"
#include "link/CMyAsyncSocket.h"
#include "link/CSWMBus.h"
#include "params/CParameterArray.h"
#include "params/CTransferUi.h"
#include "support/CSilentTransferUi.h"
#include "support/ServedModelProcess.h"
#include "support/ParameterListSeeding.h"
#include "support/TestPaths.h"

namespace {
constexpr int kProduct = 8;  // Korvalis G: the longest list
constexpr int kFirmware = 408;

QString Lists()
{
    return TestPaths::SourceDir() + QStringLiteral("/data/paralists");
}

QByteArray MakeText(int lines)
{
    QByteArray text;
    text.reserve(lines * 40);
    for (int i = 0; i < lines; ++i) {
        if (i % 10 == 9)
            text += QByteArray::number(i % 65536) + ", \"SMS_TEXT_" + QByteArray::number(i) + "\", \"Alarm " +
                    QByteArray::number(i) + "\"\r\n";
        else
            text += QByteArray::number(i % 65536) + ", \"PARAMETER_" + QByteArray::number(i) + "\", " +
                    QByteArray::number(i * 37 - 5000) + "\r\n";
    }
    return text;
}

void ParseBench(int lines, int rounds)
{
    const QByteArray text = MakeText(lines);
    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        CParameterArray list;
        QElapsedTimer t;
        t.start();
        const int result = list.ReadText(text);
        ms.push_back(t.nsecsElapsed() / 1e6);
        if (result != 0 || list.Count() != lines) {
            std::fprintf(stderr, "parse failed: %d, %d elements\n", result, list.Count());
            return;
        }
    }
    std::sort(ms.begin(), ms.end());
    QElapsedTimer w;
    w.start();
    CParameterArray list;
    list.ReadText(text);
    const QByteArray back = list.FormatText();
    const double writeMs = w.nsecsElapsed() / 1e6;
    std::printf("parse %d lines (%.1f MB): best %.1f ms, median %.1f ms over %d rounds (target < 100 ms)\n", lines,
                text.size() / 1e6, ms.front(), ms[ms.size() / 2], rounds);
    std::printf("parse + format again: %.1f ms, %lld bytes\n", writeMs, static_cast<long long>(back.size()));
}

int Serve()
{
    CDeviceModel::Options o;
    o.productCode = kProduct;
    o.firmware = kFirmware;
    CDeviceModel model(o);
    CParameterArray defaults;
    defaults.LoadParameterList(Lists(), kProduct, kFirmware);
    SeedFromList(model.Controller(), defaults);
    return ServeModelUntilStdinCloses(model);
}

int TransferBench()
{
    QProcess child;
    CMyAsyncSocket socket;
    if (!ConnectToServedModel(child, socket))
        return 1;
    CSWMBus bus(&socket, 5000);
    bus.SetDeviceAddress(1);
    bus.Read(0);  // warm up

    CParameterArray list;
    if (list.LoadParameterList(Lists(), kProduct, kFirmware) != CParameterArray::FileResult::Ok) {
        std::fprintf(stderr, "no parameter list in %s\n", qPrintable(Lists()));
        return 1;
    }
    CSilentTransferUi ui(CUserInteraction::IdAbort);
    QElapsedTimer wall;
    wall.start();
    const int result = list.ReadAllFromController(bus, ui);
    const double seconds = wall.nsecsElapsed() / 1e9;
    child.closeWriteChannel();
    child.waitForFinished(5000);
    if (result != 0) {
        std::fprintf(stderr, "bulk read failed: %d\n", result);
        return 1;
    }
    // Each read sends a request frame and a poll frame, each after a 10 ms pause. On loopback
    // TCP the bytes themselves take microseconds: the floor is the pauses.
    const int n = list.Count();
    const double floor = n * 0.020;
    std::printf(
        "bulk read of %d parameters (Korvalis G, 4.08) over loopback TCP: %.3f s, floor %.3f s, "
        "ratio %.4f (target <= 1.05)\n",
        n, seconds, floor, seconds / floor);
    return 0;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--serve") return Serve();
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 7;
    ParseBench(lines, rounds);
    return TransferBench();
}
