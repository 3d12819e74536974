// SPDX-License-Identifier: GPL-3.0-or-later
// The history database with a year of one-minute records x 8 columns (525,600 records), the
// data of chart_bench (its --write). Prints: import time (parsing the file, converting its
// local times, adding to the database), bytes per record, appending one download of 10,000
// records, and for the history viewer in a child process: first paint of the whole year,
// median and worst zoom and pan, peak memory.
//
//   history_bench [records]
//   history_bench --viewer HOME SERIAL     only the viewer, on a history made before
// HISTORY_BENCH_SHOT=prefix saves pictures of the viewer (whole year, a week).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "chart/CChartGroup.h"
#include "chart/CTimeChartView.h"
#include "lang/CLanguage.h"
#include "pages/measurement/CHistoryDialog.h"
#include "recorder/CMeasHistory.h"
#include "recorder/CMeasuredValueArray.h"
#include "support/BenchFigures.h"
#include "support/TestPaths.h"

namespace {
constexpr quint32 kSerial = 4242;

using BenchFigures::PeakMemoryKb;

double CpuMs() { return BenchFigures::CpuMs(CLOCK_PROCESS_CPUTIME_ID); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
double Worst(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

class PaintWatch : public QObject {
public:
    int painted = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->property("watched").toBool() && !o->property("seen").toBool()) {
            o->setProperty("seen", true);
            ++painted;
        }
        return false;
    }
};

void RedrawAll(const QList<CTimeChartView*>& views) {
    QCoreApplication::processEvents();
    for (CTimeChartView* v : views) v->viewport()->repaint();
}

int RunViewer(const QString& home, quint32 serial) {
    qputenv("KORVALIS_HOME", home.toLocal8Bit());
    QElapsedTimer show;
    show.start();
    const double cpu0 = CpuMs();
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    CHistoryDialog dialog(nullptr, serial, nullptr);
    const QList<CTimeChartView*> views = dialog.Charts();
    for (CTimeChartView* v : views) v->viewport()->setProperty("watched", true);
    dialog.resize(1280, 900);
    dialog.show();
    QElapsedTimer guard;
    guard.start();
    while (watch.painted < views.size() && guard.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const double firstPaint = show.nsecsElapsed() / 1e6, firstPaintCpu = CpuMs() - cpu0;
    qApp->removeEventFilter(&watch);
    const int firstLevel = dialog.LoadedLevel();

    CChartGroup* group = dialog.Group();
    const double fullFrom = group->FullFrom(), fullTo = group->FullTo(), full = fullTo - fullFrom;
    std::vector<double> zoom, pan;
    double width = full, centre = fullFrom + full * 0.37;
    bool in = true;
    const int loads0 = dialog.Loads();
    for (int i = 0; i < 40; ++i) {
        width = in ? width / 2 : width * 2;
        if (width < 7 * 86400000.0) in = false;
        if (width >= full) {
            width = full;
            in = true;
        }
        QElapsedTimer t;
        t.start();
        group->SetRange(centre - width / 2, centre + width / 2);
        RedrawAll(views);
        zoom.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < 40; ++i) {
        const double w = (i % 2 == 0) ? 30 * 86400000.0 : full / 2;
        const double from = fullFrom + std::fmod(i * 0.0831, 1.0) * (full - w);
        group->SetRange(from, from + w);
        RedrawAll(views);
        QElapsedTimer t;
        t.start();
        group->SetRange(from + w / 4, from + w / 4 + w);
        RedrawAll(views);
        pan.push_back(t.nsecsElapsed() / 1e6);
    }
    const QString shot = qEnvironmentVariable("HISTORY_BENCH_SHOT");
    if (!shot.isEmpty()) {
        group->Reset();
        RedrawAll(views);
        dialog.grab().save(shot + QStringLiteral("-year.png"));
        group->SetRange(centre - 3.5 * 86400000.0, centre + 3.5 * 86400000.0);
        RedrawAll(views);
        dialog.grab().save(shot + QStringLiteral("-week.png"));
    }
    std::printf("viewer: %lld charts | first paint of the year %6.0f ms (cpu %.0f, level %d) [target 300] | "
                "zoom median %5.1f ms worst %6.1f [target 20] | pan median %5.1f ms worst %6.1f [target 20] | "
                "reads %d in %d steps | peak memory %ld MB [target 150]\n",
                static_cast<long long>(views.size()), firstPaint, firstPaintCpu, firstLevel, Median(zoom),
                Worst(zoom), Median(pan), Worst(pan), dialog.Loads() - loads0, static_cast<int>(zoom.size() + 2 * pan.size()),
                PeakMemoryKb() / 1024);
    std::fflush(stdout);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The viewer's captions come from the catalogue, as in the program.
    CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English));
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("--viewer")) return RunViewer(args[2], args[3].toUInt());

    const int records = args.size() >= 2 ? args[1].toInt() : 525600;
    QTemporaryDir home;
    qputenv("KORVALIS_HOME", home.path().toLocal8Bit());
    const QString file = home.filePath(QStringLiteral("year.txt"));
    QProcess::execute(TestPaths::Program("chart_bench"), {QStringLiteral("--write=%1").arg(records), file});
    std::printf("file: %d records x 8 columns, %lld MB (chart_bench's data)\n", records, QFileInfo(file).size() >> 20);

    QElapsedTimer t;
    t.start();
    CMeasuredValueArray array;
    if (array.LoadFile(file) != CMeasuredValueArray::LoadResult::Ok) qFatal("cannot read %s", qPrintable(file));
    const double parseMs = t.nsecsElapsed() / 1e6;
    t.restart();
    const CHistoryBatch batch = CHistoryBatch::FromFile(array, QStringLiteral("year.txt"));
    array.Clear();
    const double convertMs = t.nsecsElapsed() / 1e6;

    const QString path = CMeasHistory::PathFor(kSerial);
    CMeasHistory history;
    if (history.Open(path) != CMeasHistory::OpenResult::Ok) qFatal("%s", qPrintable(history.LastError()));
    t.restart();
    const CMeasHistory::AddResult added = history.Add(batch);
    const double addMs = t.nsecsElapsed() / 1e6;
    if (!added.ok) qFatal("%s", qPrintable(history.LastError()));
    std::printf("import: parse %.0f ms + local times %.0f ms + database %.0f ms = %.0f ms [target 2000] (%lld records added)\n",
                parseMs, convertMs, addMs, parseMs + convertMs + addMs, static_cast<long long>(added.added));

    // One download after the year: 10,000 records with the same columns.
    CHistoryBatch download;
    download.columns = batch.columns;
    const qint64 last = batch.Time(batch.Count() - 1);
    for (int i = 0; i < 10000; ++i) download.Append(last + 60 * (i + 1), batch.Values(i));
    t.restart();
    const CMeasHistory::AddResult appended = history.Add(download);
    const double appendMs = t.nsecsElapsed() / 1e6;
    history.Close();  // the last connection folds the write-ahead log into the file
    const qint64 bytes = QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
    std::printf("append: 10000 records in %.0f ms [target 100] (%lld added)\n", appendMs,
                static_cast<long long>(appended.added));
    std::printf("size: %.1f MB, %.1f bytes per record [target 40]\n", bytes / 1048576.0,
                static_cast<double>(bytes) / (added.added + appended.added));
    std::fflush(stdout);

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--viewer"), home.path(), QString::number(kSerial)});
    child.waitForFinished(-1);
    return 0;
}
