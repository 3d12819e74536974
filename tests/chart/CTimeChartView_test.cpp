// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QRandomGenerator>
#include <QTest>
#include <QValueAxis>
#include <cmath>

#include "chart/CChartGroup.h"
#include "chart/CMinMaxSeries.h"
#include "chart/CTimeChartView.h"
#include "chart/CTimeGridItem.h"
#include "chart/CTraceItem.h"

namespace {
constexpr double kMinute = 60000.0;
constexpr double kStart = 1.7e12;

// A noisy random walk with single-sample spikes and gaps of missing values: the spikes are
// what a naive decimation loses.
CMinMaxSeries MakeSeries(qsizetype n, quint32 seed, bool withGaps = true) {
    QRandomGenerator rng(seed);
    auto x = std::make_shared<std::vector<double>>(static_cast<size_t>(n));
    std::vector<double> y(static_cast<size_t>(n));
    double v = 25.0;
    for (qsizetype i = 0; i < n; ++i) {
        (*x)[i] = kStart + i * kMinute + (i % 7 == 3 ? kMinute : 0.0) * 0;  // strictly ascending
        v += rng.bounded(2.0) - 1.0;
        y[i] = v;
        if (rng.bounded(500) == 0) y[i] = v + (rng.bounded(2) ? 80.0 : -80.0);
        if (withGaps && (i / 1000) % 17 == 5) y[i] = std::nan("");
    }
    return CMinMaxSeries(x, std::move(y));
}

int ColumnOf(double x, double from, double to, int columns) {
    if (x < from || x > to) return -1;
    return std::min(columns - 1, static_cast<int>(std::floor((x - from) / (to - from) * columns)));
}

// For every pixel column: the lowest and highest drawn value equal those of the data, and
// a column is drawn exactly when it holds data. The line breaks (a NaN point) exactly where
// values are missing between the points of two columns.
void CheckColumns(const CMinMaxSeries& s, const QList<QPointF>& drawn, double from, double to,
                  int columns) {
    QVector<double> dataLo(columns, INFINITY), dataHi(columns, -INFINITY);
    QVector<double> drawnLo(columns, INFINITY), drawnHi(columns, -INFINITY);
    for (qsizetype i = 0; i < s.Size(); ++i) {
        const int c = ColumnOf(s.X(i), from, to, columns);
        if (c < 0 || std::isnan(s.Y(i))) continue;
        dataLo[c] = std::min(dataLo[c], s.Y(i));
        dataHi[c] = std::max(dataHi[c], s.Y(i));
    }
    int outside = 0, breaks = 0;
    for (const QPointF& p : drawn) {
        if (std::isnan(p.y())) {
            ++breaks;
            continue;
        }
        const int c = ColumnOf(p.x(), from, to, columns);
        if (c < 0) {
            ++outside;
            continue;
        }
        drawnLo[c] = std::min(drawnLo[c], p.y());
        drawnHi[c] = std::max(drawnHi[c], p.y());
    }
    QVERIFY(outside <= 2);
    for (int c = 0; c < columns; ++c) {
        if (dataLo[c] != drawnLo[c] || dataHi[c] != drawnHi[c])
            QFAIL(qPrintable(QStringLiteral("column %1: data %2..%3, drawn %4..%5")
                                 .arg(c)
                                 .arg(dataLo[c])
                                 .arg(dataHi[c])
                                 .arg(drawnLo[c])
                                 .arg(drawnHi[c])));
    }
    // At most first, lowest, highest and last per column, plus the two neighbours.
    QVERIFY(drawn.size() - breaks <= 4 * columns + 2);
    for (qsizetype i = 1; i < drawn.size(); ++i) QVERIFY(drawn[i - 1].x() <= drawn[i].x());

    // Walk the series between consecutive drawn points: a missing value between two points
    // of different columns needs a break, and a break needs one.
    qsizetype at = 0;  // index in the series of the previous drawn point
    int prevColumn = -2;
    bool broken = false;
    for (const QPointF& p : drawn) {
        if (std::isnan(p.y())) {
            QVERIFY2(!broken, "two breaks in a row");
            broken = true;
            continue;
        }
        qsizetype i = at;
        while (i < s.Size() && !(s.X(i) == p.x() && s.Y(i) == p.y())) ++i;
        QVERIFY(i < s.Size());
        const int column = ColumnOf(p.x(), from, to, columns);
        if (prevColumn != -2 && (column != prevColumn || column < 0)) {
            bool missing = false;
            for (qsizetype k = at + 1; k < i; ++k) missing = missing || std::isnan(s.Y(k));
            if (missing != broken)
                QFAIL(qPrintable(QStringLiteral("at x %1: missing %2, break %3")
                                     .arg(p.x())
                                     .arg(missing)
                                     .arg(broken)));
        } else {
            QVERIFY2(!broken, "break within a column");
        }
        broken = false;
        at = i;
        prevColumn = column;
    }
    QVERIFY(!broken);
}

// The line on screen goes through the drawn points placed on the plot area by the axes'
// ranges, in pieces split at the breaks; the end segments to the neighbours outside are cut
// at the plot's edges, and a neighbour beyond a break is left out.
void CheckTrace(const CTimeChartView& view, double from, double to) {
    QList<QList<QPointF>> expected{{}};
    for (const QPointF& p : view.DrawnPoints()) {
        if (std::isnan(p.y()))
            expected.append(QList<QPointF>());
        else
            expected.last().append(p);
    }
    expected.removeAll(QList<QPointF>());
    auto outside = [&](const QPointF& p) { return p.x() < from || p.x() > to; };
    if (!expected.isEmpty() && expected.first().size() == 1 && outside(expected.first()[0]))
        expected.removeFirst();
    if (!expected.isEmpty() && expected.last().size() == 1 && outside(expected.last()[0]))
        expected.removeLast();
    const QList<QPolygonF>& pieces = view.Trace()->Pieces();
    QCOMPARE(pieces.size(), expected.size());
    const QRectF area = view.chart()->plotArea();
    const double lo = view.ValueAxis()->min(), hi = view.ValueAxis()->max();
    for (qsizetype k = 0; k < pieces.size(); ++k) {
        const QPolygonF& line = pieces[k];
        const QList<QPointF>& points = expected[k];
        QCOMPARE(line.size(), points.size());
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QPointF& p = points[i];
            if (outside(p)) {
                QCOMPARE(line[i].x(), p.x() < from ? area.left() : area.right());
                continue;
            }
            const double x = area.left() + (p.x() - from) / (to - from) * area.width();
            const double y = area.bottom() - (p.y() - lo) / (hi - lo) * area.height();
            QVERIFY(std::abs(line[i].x() - x) < 1e-6 && std::abs(line[i].y() - y) < 1e-6);
            QVERIFY(area.contains(line[i]));
        }
    }
    // The time labels sit where their times are.
    const auto ticks = CTimeChartView::TimeTicks(from, to, view.PixelColumns());
    const auto& grid = view.TimeGrid()->Ticks();
    QVERIFY(!ticks.isEmpty());
    QCOMPARE(grid.size(), ticks.size());
    for (qsizetype i = 0; i < ticks.size(); ++i) {
        QCOMPARE(grid[i].second, ticks[i].second);
        const double x = area.left() + (ticks[i].first - from) / (to - from) * area.width();
        QVERIFY(std::abs(grid[i].first - x) < 1e-6);
    }
}
}  // namespace

class CTimeChartViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reductionKeepsEveryColumnsExtremes_data() {
        QTest::addColumn<qsizetype>("n");
        QTest::addColumn<double>("fromShare");
        QTest::addColumn<double>("toShare");
        QTest::addColumn<int>("columns");
        QTest::newRow("year on 1000 px") << qsizetype(525600) << 0.0 << 1.0 << 1000;
        QTest::newRow("zoomed week") << qsizetype(525600) << 0.31 << 0.33 << 777;
        QTest::newRow("fewer points than pixels") << qsizetype(300) << 0.1 << 0.9 << 1000;
        QTest::newRow("one column") << qsizetype(5000) << 0.0 << 1.0 << 1;
        QTest::newRow("range beyond the data") << qsizetype(5000) << -0.5 << 1.5 << 640;
    }
    void reductionKeepsEveryColumnsExtremes() {
        QFETCH(qsizetype, n);
        QFETCH(double, fromShare);
        QFETCH(double, toShare);
        QFETCH(int, columns);
        const CMinMaxSeries s = MakeSeries(n, 7);
        const double span = s.X(n - 1) - s.X(0);
        const double from = s.X(0) + fromShare * span, to = s.X(0) + toShare * span;
        QList<QPointF> out;
        s.Reduce(from, to, columns, out);
        CheckColumns(s, out, from, to, columns);
    }

    void reductionEdgeCases() {
        QList<QPointF> out;
        CMinMaxSeries empty;
        empty.Reduce(0, 1, 100, out);
        QVERIFY(out.isEmpty());
        QCOMPARE(empty.Nearest(5), qsizetype(-1));

        auto x = std::make_shared<std::vector<double>>(std::vector<double>{1, 2, 2, 2, 3, 10});
        const CMinMaxSeries s(x, {NAN, 5, -1, 7, NAN, 4});
        s.Reduce(1.5, 3.5, 4, out);  // the equal x values land in one column
        QCOMPARE(out.size(), 5);     // the missing value at 3 breaks the line to 10
        QCOMPARE(out.mid(0, 3), (QList<QPointF>{{2, 5}, {2, -1}, {2, 7}}));
        QVERIFY(std::isnan(out[3].y()));
        QCOMPARE(out[4], QPointF(10, 4));
        double lo = 0, hi = 0;
        QVERIFY(s.ValueRange(0, 100, lo, hi));
        QCOMPARE(lo, -1.0);
        QCOMPARE(hi, 7.0);
        QVERIFY(!s.ValueRange(2.5, 3.5, lo, hi));  // only a missing value there
        QCOMPARE(s.Nearest(0), qsizetype(1));      // skips the missing first point
        QCOMPARE(s.Nearest(9), qsizetype(5));
        s.Reduce(5, 4, 100, out);  // empty range
        QVERIFY(out.isEmpty());

        // Infinities are values like any other, also in the block table (100 values).
        auto x100 = std::make_shared<std::vector<double>>(100);
        std::vector<double> y100(100, INFINITY);
        for (int i = 0; i < 100; ++i) (*x100)[i] = i;
        y100[70] = NAN;
        y100[90] = 3;
        const CMinMaxSeries inf(x100, y100);
        QVERIFY(inf.ValueRange(0, 60, lo, hi));
        QCOMPARE(lo, INFINITY);
        QCOMPARE(hi, INFINITY);
        QVERIFY(inf.ValueRange(0, 99, lo, hi));
        QCOMPARE(lo, 3.0);
        QCOMPARE(hi, INFINITY);
    }

    void viewDrawsOnlyTheReducedPoints() {
        CChartGroup group;
        CTimeChartView view(&group);
        const CMinMaxSeries s = MakeSeries(200000, 3);
        view.SetSeries(QStringLiteral("Temperature 1"), QStringLiteral("\u00B0C"), s);
        group.AddView(&view);
        group.SetFullRange(s.X(0), s.X(s.Size() - 1), 10 * kMinute);
        view.resize(900, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.chart()->title(), QStringLiteral("Temperature 1"));
        QCOMPARE(view.ValueAxis()->titleText(), QStringLiteral("\u00B0C"));

        const int plotWidth = static_cast<int>(view.chart()->plotArea().width());
        QVERIFY(plotWidth > 500);
        QCOMPARE(view.PixelColumns(), plotWidth);
        CheckColumns(s, view.DrawnPoints(), group.From(), group.To(), view.PixelColumns());

        // Zoom and pan recompute for the new range; a resize for the new width.
        group.ZoomAt(s.X(120000), 0.01);
        QVERIFY(group.To() - group.From() < 0.02 * (group.FullTo() - group.FullFrom()));
        CheckColumns(s, view.DrawnPoints(), group.From(), group.To(), view.PixelColumns());
        CheckTrace(view, group.From(), group.To());
        group.PanBy(-(group.To() - group.From()) / 3);
        CheckColumns(s, view.DrawnPoints(), group.From(), group.To(), view.PixelColumns());
        CheckTrace(view, group.From(), group.To());
        view.resize(500, 300);
        QTRY_VERIFY(view.PixelColumns() < plotWidth);
        QCOMPARE(view.PixelColumns(), static_cast<int>(view.chart()->plotArea().width()));
        CheckColumns(s, view.DrawnPoints(), group.From(), group.To(), view.PixelColumns());
        CheckTrace(view, group.From(), group.To());

        // The value axis follows the visible data.
        double lo = 0, hi = 0;
        QVERIFY(s.ValueRange(group.From(), group.To(), lo, hi));
        QVERIFY(view.ValueAxis()->min() <= lo && view.ValueAxis()->max() >= hi);
    }

    // A run of missing values shows as a gap: two pieces of line with nothing across it,
    // also when only a neighbour outside the range lies beyond the gap.
    void gapsBreakTheLine() {
        auto x = std::make_shared<std::vector<double>>(100);
        std::vector<double> y(100);
        for (int i = 0; i < 100; ++i) {
            (*x)[i] = kStart + i * kMinute;
            y[i] = i >= 40 && i < 60 ? NAN : 20.0 + (i % 5);
        }
        const CMinMaxSeries s(x, y);
        CChartGroup group;
        CTimeChartView view(&group);
        view.SetSeries(QStringLiteral("Temperature 1"), QStringLiteral("\u00B0C"), s);
        group.AddView(&view);
        group.SetFullRange(s.X(0), s.X(99), 10 * kMinute);
        view.resize(700, 250);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QRectF area = view.chart()->plotArea();
        auto xOf = [&](double t) {
            return area.left() + (t - group.From()) / (group.To() - group.From()) * area.width();
        };
        const QList<QPolygonF>& pieces = view.Trace()->Pieces();
        QCOMPARE(pieces.size(), 2);
        QCOMPARE(pieces[0].last().x(), xOf(s.X(39)));
        QCOMPARE(pieces[1].first().x(), xOf(s.X(60)));
        CheckTrace(view, group.From(), group.To());

        // The range starts in the gap: the neighbour before it is not joined to the line.
        group.SetRange(s.X(50), s.X(80));
        QCOMPARE(view.Trace()->Pieces().size(), 1);
        QCOMPARE(view.Trace()->Pieces()[0].first().x(), xOf(s.X(60)));
        CheckTrace(view, group.From(), group.To());
        // Wholly within the gap: nothing drawn.
        group.SetRange(s.X(42), s.X(57));
        QVERIFY(view.Trace()->Pieces().isEmpty());
        // A single value between two gaps is a dot.
        y[70] = NAN;
        y[72] = NAN;
        view.SetSeries(QStringLiteral("Temperature 1"), QStringLiteral("\u00B0C"),
                       CMinMaxSeries(x, y));
        group.SetRange(s.X(65), s.X(80));
        QCOMPARE(view.Trace()->Pieces().size(), 3);
        QCOMPARE(view.Trace()->Pieces()[1].size(), 1);
        CheckTrace(view, group.From(), group.To());
    }

    void valueLabelsFitTheStrip() {
        // As short as the strips of a viewer with eight charts, and taller: the value axis
        // gets as many labels as fit, and none is elided.
        CChartGroup group;
        CTimeChartView view(&group);
        const CMinMaxSeries s = MakeSeries(20000, 9);
        view.SetSeries(QStringLiteral("Redox 1"), QStringLiteral("mV"), s);
        group.AddView(&view);
        group.SetFullRange(s.X(0), s.X(s.Size() - 1), 10 * kMinute);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int height : {100, 160, 300}) {
            view.resize(800, height);
            QTRY_COMPARE(view.chart()->plotArea().height() > 0, true);
            QCoreApplication::processEvents();
            QVERIFY(view.ValueAxis()->tickCount() >= 3 && view.ValueAxis()->tickCount() <= 5);
            int labels = 0;
            for (QGraphicsItem* item : view.scene()->items()) {
                auto* text = dynamic_cast<QGraphicsTextItem*>(item);
                if (!text || !text->isVisible() || text->toPlainText().isEmpty()) continue;
                ++labels;
                QVERIFY2(!text->toPlainText().contains(QChar(0x2026)) &&
                             !text->toPlainText().contains(QStringLiteral("...")),
                         qPrintable(QStringLiteral("%1 px: %2").arg(height).arg(text->toPlainText())));
            }
            QVERIFY(labels >= 3);
        }
    }

    void mouseAndKeysZoomPanAndReset() {
        CChartGroup group;
        CTimeChartView a(&group), b(&group);
        const CMinMaxSeries s = MakeSeries(20000, 5, false);
        a.SetSeries("a", "x", s);
        b.SetSeries("b", "y", s);
        group.AddView(&a);
        group.AddView(&b);
        group.SetFullRange(s.X(0), s.X(s.Size() - 1), 10 * kMinute);
        a.resize(800, 300);
        a.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a));
        const QRectF area = a.chart()->plotArea();
        const int y = static_cast<int>(area.center().y());
        const double full = group.FullTo() - group.FullFrom();

        // Wheel: zooms in around the pointer, which keeps its time.
        const QPoint at(static_cast<int>(area.left() + area.width() * 0.25), y);
        const double before = group.From() + 0.25 * full;
        QWheelEvent wheel(at, a.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(a.viewport(), &wheel);
        QCOMPARE(group.To() - group.From(), full * 0.64);
        QVERIFY(std::abs(group.From() + 0.25 * (group.To() - group.From()) - before) < full * 0.01);

        // Rubber band from 40 % to 60 % of the plot: that span becomes the range.
        group.Reset();
        const QPoint p1(static_cast<int>(area.left() + area.width() * 0.4), y);
        const QPoint p2(static_cast<int>(area.left() + area.width() * 0.6), y);
        QTest::mousePress(a.viewport(), Qt::LeftButton, {}, p1);
        QTest::mouseMove(a.viewport(), p2);
        QTest::mouseRelease(a.viewport(), Qt::LeftButton, {}, p2);
        QVERIFY(std::abs((group.To() - group.From()) - 0.2 * full) < full * 0.01);
        QVERIFY(std::abs(group.From() - (group.FullFrom() + 0.4 * full)) < full * 0.01);
        // Both charts show the same range.
        QCOMPARE(b.From(), a.From());
        QCOMPARE(b.To(), a.To());

        // Right drag pans by the dragged distance; the time under the pointer stays.
        const double width = group.To() - group.From();
        const double from = group.From();
        QTest::mousePress(a.viewport(), Qt::RightButton, {}, p2);
        QTest::mouseMove(a.viewport(), p1);
        QTest::mouseRelease(a.viewport(), Qt::RightButton, {}, p1);
        QCOMPARE(group.To() - group.From(), width);
        QVERIFY(std::abs(group.From() - (from + 0.2 * width)) < width * 0.01);

        // Cursor: shown in both charts while the pointer is over the plot.
        QTest::mouseMove(a.viewport(), p1);
        QVERIFY(!std::isnan(group.Cursor()));
        QTest::keyClick(&a, Qt::Key_Home);
        QCOMPARE(group.From(), group.FullFrom());
        QCOMPARE(group.To(), group.FullTo());

        // Zoom stops at the minimum width and never leaves the data.
        for (int i = 0; i < 100; ++i) group.ZoomAt(group.FullFrom(), 0.5);
        QCOMPARE(group.To() - group.From(), 10 * kMinute);
        QCOMPARE(group.From(), group.FullFrom());
        group.PanBy(-full);
        QCOMPARE(group.From(), group.FullFrom());
        group.PanBy(2 * full);
        QCOMPARE(group.To(), group.FullTo());
    }

    void timeLabelsFollowTheZoom() {
        const double day0 = 1704067200000.0;  // 2024-01-01 00:00
        auto ticks = CTimeChartView::TimeTicks(day0, day0 + 86400000.0, 800);
        QVERIFY(ticks.size() >= 4 && ticks.size() <= 9);
        QCOMPARE(ticks.first().second, QStringLiteral("01-01 00:00"));
        ticks = CTimeChartView::TimeTicks(day0, day0 + 7 * 86400000.0, 800);
        QVERIFY(ticks.size() >= 3);
        for (const auto& [t, label] : ticks) {
            QCOMPARE(std::fmod(t, 86400000.0), 0.0);  // at midnight
            QVERIFY(label.startsWith(QStringLiteral("2024-01-0")) && label.size() == 10);
        }
        ticks = CTimeChartView::TimeTicks(day0 + 1, day0 + 366 * 86400000.0, 800);
        QCOMPARE(ticks.first().second,
                 QStringLiteral("2024-04"));  // quarters, the first after the start
        ticks = CTimeChartView::TimeTicks(day0, day0 + 10 * 366 * 86400000.0, 800);
        QVERIFY(ticks.size() >= 2 && ticks.size() <= 10);
        QCOMPARE(ticks.first().second, QStringLiteral("2024"));
        QVERIFY(CTimeChartView::TimeTicks(day0, day0, 800).isEmpty());
    }
};

QTEST_MAIN(CTimeChartViewTest)
#include "CTimeChartView_test.moc"
