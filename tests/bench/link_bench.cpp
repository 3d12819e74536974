// SPDX-License-Identifier: GPL-3.0-or-later
// 1000 reads over loopback TCP against the device model served by a child process.
// Prints the wall time per read against the protocol floor (two 10 ms pauses per read)
// and this process's CPU time as a share of the wall time.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>

#include "device/CDeviceModel.h"
#include "link/CMyAsyncSocket.h"
#include "link/CSWMBus.h"
#include "support/ServedModelProcess.h"

namespace {
double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int Serve()
{
    CDeviceModel model;
    return ServeModelUntilStdinCloses(model);
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--serve")
        return Serve();
    const int reads = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;

    QProcess child;
    CMyAsyncSocket socket;
    if (!ConnectToServedModel(child, socket))
        return 1;
    CSWMBus bus(&socket, 5000);
    bus.Read(0);  // warm up

    QElapsedTimer wall;
    const double cpu0 = CpuSeconds();
    wall.start();
    int failures = 0;
    for (int i = 0; i < reads; ++i)
        failures += bus.Read(static_cast<int16_t>(i % 1200)) != 0;
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - cpu0;
    child.closeWriteChannel();
    child.waitForFinished(5000);

    const double perRead = seconds * 1000.0 / reads;
    std::printf("reads: %d (failures %d)\n", reads, failures);
    std::printf("wall per read: %.3f ms (protocol floor 20.000 ms, overhead %.3f ms)\n", perRead, perRead - 20.0);
    std::printf("cpu time: %.3f s of %.3f s wall = %.2f %%\n", cpu, seconds, 100.0 * cpu / seconds);
    return failures == 0 ? 0 : 1;
}
