// SPDX-License-Identifier: GPL-3.0-or-later
// Figures the benchmarks print beside wall time: peak memory and processor time.
#pragma once

#include <QByteArray>
#include <QFile>
#include <ctime>

namespace BenchFigures {

// Peak resident memory of this process in KiB (VmHWM), -1 where /proc has none.
inline long PeakMemoryKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Processor time in ms of the given clock: on a shared, loaded machine the wall clock also
// counts the time other programs had the processor.
inline double CpuMs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

}  // namespace BenchFigures
