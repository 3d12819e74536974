// SPDX-License-Identifier: GPL-3.0-or-later
// The history viewer reads only what the range needs, and labels its time axis in local
// time across a daylight-saving change. Runs in the Europe/Berlin time zone.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <ctime>

#include "chart/CChartGroup.h"
#include "chart/CTimeChartView.h"
#include "lang/CLanguage.h"
#include "pages/measurement/CHistoryDialog.h"
#include "recorder/CMeasHistory.h"
#include "support/TestPaths.h"

class CHistoryDialog_test : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

private Q_SLOTS:
    void initTestCase() {
        qputenv("KORVALIS_HOME", m_home.path().toLocal8Bit());
        QVERIFY(CLanguage::Current().Load(TestPaths::ShareDir() + QStringLiteral("/lang/English.lang")));
    }

    void readsTheLevelTheRangeNeeds() {
        CHistoryBatch year;
        year.columns = {{QStringLiteral("Temperature 1"), QStringLiteral("\u00b0C"), 1}};
        const qint64 start = QDateTime(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
        for (int i = 0; i < 52560; ++i) {  // every ten minutes
            const double v = std::round((25 + 2 * std::sin(i / 144.0 * 2 * M_PI)) * 10) / 10;
            year.Append(start + i * 600, &v);
        }
        {
            CMeasHistory h;
            QCOMPARE(h.Open(CMeasHistory::PathFor(77)), CMeasHistory::OpenResult::Ok);
            QVERIFY(h.Add(year).ok);
        }
        CHistoryDialog dialog(nullptr, 77, nullptr);
        dialog.resize(1280, 600);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.Charts().size(), 1);
        const CTimeChartView* chart = dialog.Charts().first();
        CChartGroup* group = dialog.Group();
        // The year from buckets, not from its 52,560 records, and still the whole swing.
        QVERIFY(dialog.LoadedLevel() >= 2);
        QVERIFY(chart->Series().Size() < 52560 / 4);
        double lo = 0, hi = 0;
        QVERIFY(chart->Series().ValueRange(group->From(), group->To(), lo, hi));
        QCOMPARE(lo, 23.0);
        QCOMPARE(hi, 27.0);

        struct Step {
            CHistoryDialog::Span span;
            int level;
        } steps[] = {{CHistoryDialog::Day, 0}, {CHistoryDialog::Week, 0}, {CHistoryDialog::Month, 1},
                     {CHistoryDialog::All, 2}};
        for (const Step& s : steps) {
            dialog.ShowSpan(s.span);
            QCOMPARE(dialog.LoadedLevel(), s.level);
            QCOMPARE(group->To(), group->FullTo());
        }
        // About one bucket per pixel column: 2.88 million seconds take the half hours at 1280
        // pixels, the records when the window is twice as wide, and the half hours again back.
        const double range = 1600 * 1800 * 1000.0;
        group->SetRange(group->FullTo() - range, group->FullTo());
        QCOMPARE(dialog.LoadedLevel(), 1);
        for (const auto& [width, level] : {std::pair{2600, 0}, std::pair{1280, 1}}) {
            dialog.resize(width, 600);
            QTRY_COMPARE(dialog.LoadedLevel(), level);
        }
        // A pan within what was read reads nothing.
        dialog.ShowSpan(CHistoryDialog::Week);
        const int loads = dialog.Loads();
        group->PanBy(-86400000.0);
        QCOMPARE(dialog.Loads(), loads);
        QVERIFY(!chart->DrawnPoints().isEmpty());
    }

    void timeLabelsAreLocal() {
        // 29 March 2026: the clocks go from 02:00 to 03:00.
        const double from = QDateTime(QDate(2026, 3, 28), QTime(22, 0), Qt::UTC).toMSecsSinceEpoch();
        const double to = QDateTime(QDate(2026, 3, 29), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch();
        const auto ticks = CTimeChartView::TimeTicks(from, to, 600, true);
        auto utc = [](int day, int hour) {
            return double(QDateTime(QDate(2026, 3, day), QTime(hour, 0), Qt::UTC).toMSecsSinceEpoch());
        };
        QVERIFY(ticks.contains(qMakePair(utc(28, 23), QStringLiteral("03-29 00:00"))));
        QVERIFY(ticks.contains(qMakePair(utc(29, 4), QStringLiteral("03-29 06:00"))));
        QVERIFY(ticks.contains(qMakePair(utc(29, 10), QStringLiteral("03-29 12:00"))));
    }
};

int main(int argc, char** argv) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QApplication app(argc, argv);
    CHistoryDialog_test test;
    return QTest::qExec(&test, argc, argv);
}

#include "CHistoryDialog_test.moc"
