// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer with a large file: 1,000,000 records x 8 columns (about two years of one-minute
// data). Prints, for the viewer and for plain Qt Charts line series fed every point:
// parse time, time to the first painted window, median and worst redraw for a zoom and a
// pan, and peak memory. Each variant runs in a child process so that peak memory is its own.
//
//   chart_bench [records]            both variants
//   chart_bench --variant=viewer|plain FILE
//   chart_bench --write=RECORDS FILE   only the file
// CHART_BENCH_ROUNDS sets the number of zooms and pans, CHART_BENCH_SHOT a file name prefix
// for pictures of the viewer.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QElapsedTimer>
#include <QFile>
#include <QLineSeries>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "chart/CChartGroup.h"
#include "chart/CTimeChartView.h"
#include "pages/measurement/CMeasDataDialog.h"
#include "recorder/CMeasuredValueArray.h"
#include "support/BenchFigures.h"

namespace {
constexpr int kColumns = 8;

using BenchFigures::PeakMemoryKb;

void WriteFile(const QString& path, int records) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    QByteArray out = "Date;Time;";
    const char* names[kColumns] = {"Temperature 1", "pH-value 1", "Redox 1",       "Conductivity 1",
                                   "Oxygen 1",      "Humidity 1", "Airtempera. 1", "Voltage 1"};
    const char* units[kColumns] = {
        "\xB0"
        "C",
        "pH",
        "mV",
        "mS",
        "%",
        "%",
        "\xB0"
        "C",
        "V"};
    for (int k = 0; k < kColumns; ++k) out += QByteArray(names[k]) + '[' + units[k] + "];";
    out += "\r\n";
    QRandomGenerator rng(42);
    double v[kColumns] = {25, 8.1, 300, 52, 95, 60, 22, 12};
    QDateTime t(QDate(2022, 1, 1), QTime(0, 0), Qt::UTC);
    char buf[64];
    for (int i = 0; i < records; ++i) {
        out += CMeasuredValueArray::FormatDate(t.date()).toLatin1() + ';' +
               CMeasuredValueArray::FormatTime(t.time()).toLatin1() + ';';
        for (int k = 0; k < kColumns; ++k) {
            v[k] += (rng.generateDouble() - 0.5) * 0.01 * (k == 2 ? 100 : 1);
            double x = v[k] + std::sin(i * 2 * M_PI / 1440.0) * (k == 0 ? 0.8 : 0.1);
            if (rng.bounded(20000) == 0) x += 5;  // a rare spike the overview must still show
            std::snprintf(buf, sizeof buf, "%.5g", x);
            for (char* c = buf; *c; ++c)
                if (*c == '.') *c = ',';
            out += buf;
            out += ';';
        }
        out += "\r\n";
        t = t.addSecs(60);
        if (out.size() > (1 << 20)) {
            f.write(out);
            out.clear();
        }
    }
    f.write(out);
}

double CpuMs() { return BenchFigures::CpuMs(CLOCK_THREAD_CPUTIME_ID); }

struct Figures {
    double median = 0, worst = 0;
};

Figures Stats(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// Counts paints of the watched viewports.
class PaintWatch : public QObject {
public:
    int painted = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->property("watched").toBool() &&
            !o->property("seen").toBool()) {
            o->setProperty("seen", true);
            ++painted;
        }
        return false;
    }
};

double RedrawAll(const QList<QChartView*>& views) {
    QElapsedTimer t;
    t.start();
    QCoreApplication::processEvents();
    for (QChartView* v : views) v->viewport()->repaint();
    return t.nsecsElapsed() / 1e6;
}

int RunVariant(const QString& variant, const QString& path) {
    QElapsedTimer total;
    total.start();
    const double cpu0 = CpuMs();
    CMeasuredValueArray array;
    if (array.LoadFile(path) != CMeasuredValueArray::LoadResult::Ok) qFatal("cannot read the file");
    const double parseMs = total.nsecsElapsed() / 1e6;
    const double parseCpu = CpuMs() - cpu0;
    const long afterParseKb = PeakMemoryKb();

    QElapsedTimer show;
    show.start();
    const double cpu1 = CpuMs();
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    std::unique_ptr<QWidget> window;
    QList<QChartView*> views;
    CChartGroup* group = nullptr;
    QList<QDateTimeAxis*> plainAxes;
    double fullFrom = 0, fullTo = 0;
    if (variant == QLatin1String("viewer")) {
        auto* dialog = new CMeasDataDialog(nullptr, array);
        window.reset(dialog);
        group = dialog->Group();
        for (CTimeChartView* v : dialog->Charts()) views << v;
        array.Clear();  // as when a file is opened: the viewer keeps its own copy
        fullFrom = group->FullFrom();
        fullTo = group->FullTo();
    } else {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        const qsizetype n = array.GetCount();
        fullFrom = array[0].timeStamp.toMSecsSinceEpoch();
        fullTo = array[n - 1].timeStamp.toMSecsSinceEpoch();
        for (int k = 0; k < array.ValueColumnCount(); ++k) {
            QList<QPointF> points;
            points.reserve(n);
            for (qsizetype i = 0; i < n; ++i)
                points.append(QPointF(array[i].timeStamp.toMSecsSinceEpoch(), array[i].values[k]));
            auto* chart = new QChart;
            auto* series = new QLineSeries;
            series->replace(points);
            chart->addSeries(series);
            auto* x = new QDateTimeAxis;
            x->setFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
            auto* y = new QValueAxis;
            chart->addAxis(x, Qt::AlignBottom);
            chart->addAxis(y, Qt::AlignLeft);
            series->attachAxis(x);
            series->attachAxis(y);
            chart->legend()->hide();
            chart->setTitle(array.ColumnName(k));
            auto* view = new QChartView(chart);
            layout->addWidget(view, 1);
            views << view;
            plainAxes << x;
        }
        array.Clear();
    }
    for (QChartView* v : views) v->viewport()->setProperty("watched", true);
    window->resize(1280, 900);
    window->show();
    QElapsedTimer guard;
    guard.start();
    while (watch.painted < views.size() && guard.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double firstPaintMs = show.nsecsElapsed() / 1e6;
    const double firstPaintCpu = CpuMs() - cpu1;
    qApp->removeEventFilter(&watch);

    auto setRange = [&](double from, double to) {
        if (group) {
            group->SetRange(from, to);
        } else {
            for (QDateTimeAxis* a : plainAxes)
                a->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(from), Qt::UTC),
                            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(to), Qt::UTC));
        }
    };
    // Zoom: from the whole range in to a week and out again, halving/doubling the width.
    const int rounds = qEnvironmentVariableIsSet("CHART_BENCH_ROUNDS")
                           ? qEnvironmentVariableIntValue("CHART_BENCH_ROUNDS")
                       : variant == QLatin1String("viewer") ? 40
                                                            : 6;
    std::vector<double> zoom, pan, zoomCpu, panCpu;
    const double full = fullTo - fullFrom;
    double width = full;
    double centre = fullFrom + full * 0.37;
    bool in = true;
    for (int i = 0; i < rounds; ++i) {
        width = in ? width / 2 : width * 2;
        if (width < 7 * 86400000.0) in = false;
        if (width >= full) {
            width = full;
            in = true;
        }
        QElapsedTimer t;
        t.start();
        const double cpu = CpuMs();
        setRange(centre - width / 2, centre + width / 2);
        RedrawAll(views);
        zoom.push_back(t.nsecsElapsed() / 1e6);
        zoomCpu.push_back(CpuMs() - cpu);
    }
    // Pan: a quarter of the range at a time, at a one-month zoom and at the whole range's half.
    for (int i = 0; i < rounds; ++i) {
        const double w = (i % 2 == 0) ? 30 * 86400000.0 : full / 2;
        const double from = fullFrom + std::fmod(i * 0.0831, 1.0) * (full - w);
        setRange(from, from + w);
        RedrawAll(views);
        QElapsedTimer t;
        t.start();
        const double cpu = CpuMs();
        setRange(from + w / 4, from + w / 4 + w);
        RedrawAll(views);
        pan.push_back(t.nsecsElapsed() / 1e6);
        panCpu.push_back(CpuMs() - cpu);
    }
    // CHART_BENCH_SHOT=prefix: pictures of the window at the whole range and zoomed to a week.
    const QString shot = qEnvironmentVariable("CHART_BENCH_SHOT");
    if (!shot.isEmpty()) {
        setRange(fullFrom, fullTo);
        RedrawAll(views);
        window->grab().save(shot + QStringLiteral("-full.png"));
        setRange(centre - 3.5 * 86400000.0, centre + 3.5 * 86400000.0);
        RedrawAll(views);
        window->grab().save(shot + QStringLiteral("-week.png"));
    }
    const Figures z = Stats(zoom), p = Stats(pan), zc = Stats(zoomCpu), pc = Stats(panCpu);
    std::printf(
        "%-7s parse %7.0f ms (cpu %.0f) | first paint %7.0f ms (cpu %.0f) | zoom median %7.1f ms "
        "worst %7.1f ms (cpu %.1f / %.1f) | pan median %7.1f ms worst %7.1f ms (cpu %.1f / %.1f) | "
        "peak memory %5ld MB (after parse %ld MB)\n",
        qPrintable(variant), parseMs, parseCpu, firstPaintMs, firstPaintCpu, z.median, z.worst,
        zc.median, zc.worst, p.median, p.worst, pc.median, pc.worst, PeakMemoryKb() / 1024,
        afterParseKb / 1024);
    std::fflush(stdout);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1].startsWith(QLatin1String("--variant=")))
        return RunVariant(args[1].mid(10), args[2]);
    if (args.size() >= 3 && args[1].startsWith(QLatin1String("--write=")))
        return WriteFile(args[2], args[1].mid(8).toInt()), 0;

    const int records = args.size() >= 2 ? args[1].toInt() : 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.txt"));
    QElapsedTimer t;
    t.start();
    WriteFile(path, records);
    std::printf("file: %d records x %d columns, %lld MB, written in %lld ms\n", records, kColumns,
                QFile(path).size() / (1024 * 1024), static_cast<long long>(t.elapsed()));
    std::printf("targets: first paint < 2000 ms, redraw < 50 ms, memory < 400 MB\n");
    std::fflush(stdout);
    for (const char* variant : {"viewer", "plain"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--variant=") + QLatin1String(variant), path});
        child.waitForFinished(-1);
    }
    return 0;
}
