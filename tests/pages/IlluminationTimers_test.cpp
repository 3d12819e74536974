// SPDX-License-Identifier: GPL-3.0-or-later
// Illumination, dimming-curves, variable-illumination and timer pages against the device
// model: exact reads and writes, firmware gates, counts from the device bounded, the
// checks before sending and leaving, the dimming simulation, and the run chart's geometry.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include "base/ModelInfo.h"
#include "support/ControlInput.h"
#include "pages/illumination/CPropertyPageDimmCurves.h"
#include "pages/illumination/CPropertyPageIllumination.h"
#include "pages/illumination/CPropertyPageVariableIllumination.h"
#include "pages/illumination/CRunChart.h"
#include "pages/timers/CEditSwitchingPoint.h"
#include "pages/timers/CPointList.h"
#include "pages/timers/CPropertyPageTimers305.h"
#include "params/CDescriptionLists.h"
#include "support/CSheetRig.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
constexpr int H(int h, int m = 0) { return h * 60 + m; }

template <class T>
T* Find(QWidget* page, int id) {
    return page->findChild<T*>(QString::number(id));
}

CDeviceModel::Options Firmware(int version) {
    CDeviceModel::Options o;
    o.firmware = version;
    return o;
}

// Channel k's run: start, ramp or end, intensity per point.
void SeedRun(CBusDevice& c, int k, std::vector<std::array<int, 3>> points, int mode = 0) {
    const int b = 180 + 32 * k;
    c.SetValue(b, 0x5);
    c.SetValue(b + 1, int64_t(points.size()));
    for (int i = 0; i < int(points.size()); ++i) {
        c.SetValue(b + 2 + 3 * i, points[i][0]);
        c.SetValue(b + 3 + 3 * i, points[i][1]);
        c.SetValue(b + 4 + 3 * i, points[i][2]);
    }
    c.SetValue(b + 26, 80);
    c.SetValue(b + 27, mode);
    c.SetValue(1033 + 2 * k, 12345);
}

// Answers the next modal dialog with step, then OK.
void WhenDialogOpens(std::function<void(QDialog*)> step) {
    QTimer::singleShot(0, [step] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d) return;
        step(d);
        d->accept();
    });
}
}  // namespace

class IlluminationTimersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void illuminationReadsAndWritesInOrder_data() {
        QTest::addColumn<int>("firmware");
        QTest::newRow("406: no option flags") << 406;
        QTest::newRow("407: option flags") << 407;
    }
    void illuminationReadsAndWritesInOrder() {
        QFETCH(int, firmware);
        CSheetRig rig(Firmware(firmware));
        SeedRun(rig.model.Controller(), 1, {{H(8), 60, 50}, {H(12), 30, 100}, {H(19), 90, 0}});
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<CPropertyPageIllumination>(1);
        QVERIFY(page);
        QList<int> reads;
        if (firmware >= 407) reads << 212;
        reads << 213 << 214 << 216 << 215 << 217 << 219 << 218 << 220 << 222 << 221 << 239 << 238 << 1035;
        QCOMPARE(rig.ReadNumbers(), reads);
        QCOMPARE(Find<QLabel>(page, 1283)->text(), QLocale().toString(205.75, 'f', 2));
        QCOMPARE(Find<CPointList>(page, 1446)->topLevelItem(1)->text(3), QStringLiteral("100%"));
        QCOMPARE(Find<QCheckBox>(page, 1687)->isEnabled(), firmware >= 407);
        QCOMPARE(Find<QCheckBox>(page, 1689)->isChecked(), firmware >= 407);

        // Delete the first point, tick an option, change the percentage.
        rig.model.ClearLog();
        Find<CPointList>(page, 1446)->SelectRow(0);
        Find<QPushButton>(page, 1444)->click();
        if (firmware >= 407) Find<QCheckBox>(page, 1686)->click();
        rig.Send();
        Writes expected;
        if (firmware >= 407) expected << qMakePair(212, int64_t(0xD));
        expected << qMakePair(213, int64_t(2)) << qMakePair(216, int64_t(100)) << qMakePair(215, int64_t(30))
                 << qMakePair(214, int64_t(H(12))) << qMakePair(219, int64_t(0)) << qMakePair(218, int64_t(90))
                 << qMakePair(217, int64_t(H(19)));
        QCOMPARE(rig.model.Writes(), expected);
        QVERIFY(!page->IsModified());
    }

    void countAboveEightStaysInTheBlock() {
        CSheetRig rig;
        CBusDevice& c = rig.model.Controller();
        SeedRun(c, 0, {});
        c.SetValue(181, 5000);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<CPropertyPageIllumination>(0);
        const QList<int> reads = rig.ReadNumbers();
        QCOMPARE(reads.size(), 2 + 24 + 3);
        QCOMPARE(*std::max_element(reads.begin(), reads.end() - 1), 207);
        QVERIFY(!Find<QLabel>(page, 1500)->isHidden());
        QVERIFY(!Find<QPushButton>(page, 1443)->isEnabled());  // add, at 8 points
        QVERIFY(rig.ui.shown.isEmpty());
    }

    void modeChangeEmptiesTheRunOnTheControllerToo() {
        CSheetRig rig;
        SeedRun(rig.model.Controller(), 0, {{H(8), 60, 50}, {H(20), 60, 0}});
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageIllumination>(0);
        rig.model.ClearLog();
        Find<QComboBox>(page, 1309)->setCurrentIndex(1);
        QCOMPARE(page->Run().Count(), 0);
        QCOMPARE(Find<CPointList>(page, 1446)->columnCount(), 3);
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{181, 0}, {207, 1}}));
        QCOMPARE(rig.model.Controller().Value(181), int64_t(0));
    }

    void invalidRunBlocksSendAndLeaving() {
        CSheetRig rig;
        SeedRun(rig.model.Controller(), 0, {{H(8), 60, 50}, {H(7), 30, 100}, {H(12), 60, 0}, {H(13), 5, 0}});
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageIllumination>(0);
        rig.model.ClearLog();
        Find<CPointList>(page, 1446)->SelectRow(3);
        Find<QPushButton>(page, 1444)->click();
        rig.Send();
        QVERIFY(rig.model.Writes().isEmpty());
        QVERIFY(rig.ui.MessageIds().contains(363));
        QVERIFY(!rig.sheet->ActivatePage(rig.sheet->GeneralPage()));
        QCOMPARE(rig.sheet->ActivePage(), page);
    }

    void switchingPointsAddedThroughTheEditor() {
        CSheetRig rig;
        SeedRun(rig.model.Controller(), 0, {{H(18), H(20), 0}}, 1);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageIllumination>(0);
        rig.model.ClearLog();
        // Overlapping periods are refused like a timer's.
        WhenDialogOpens([](QDialog* d) {
            Find<QTimeEdit>(d, CEditSwitchingPoint::IdStart)->setTime(QTime(19, 0));
            Find<QTimeEdit>(d, CEditSwitchingPoint::IdEnd)->setTime(QTime(21, 0));
        });
        Find<QPushButton>(page, 1443)->click();
        QCOMPARE(page->Run().Count(), 2);
        rig.Send();
        QVERIFY(rig.ui.MessageIds().contains(422));
        QVERIFY(rig.model.Writes().isEmpty());
    }

    // What the user does on an illumination or timer page, and exactly what Send writes and
    // which messages it shows.
    void editsWriteWhatThePageShows() {
        const QString longName(100, QLatin1Char('n'));
        struct Case {
            const char* name;
            QString pageClass;
            int instance;
            std::function<void(CBusDevice&)> seed;
            std::function<void(CMyPropertyPage*)> edit;
            Writes writes;
            QList<int> messages;
        };
        auto typeName = [](CMyPropertyPage* p) { QTest::keyClicks(Find<QLineEdit>(p, 1498), QStringLiteral("x")); };
        auto addPoint = [](QTime start, QTime end) {
            return [start, end](CMyPropertyPage* p) {
                WhenDialogOpens([start, end](QDialog* d) {
                    Find<QTimeEdit>(d, CEditSwitchingPoint::IdStart)->setTime(start);
                    Find<QTimeEdit>(d, CEditSwitchingPoint::IdEnd)->setTime(end);
                });
                Find<QPushButton>(p, 1443)->click();
            };
        };
        auto cycle = [](CBusDevice& c) {
            c.SetValue(171, 1000);
            c.SetValue(500, 2);  // cycle mode, on/off periods
            c.SetValue(503, 7);
            c.SetValue(502, 9);  // offset 3
        };
        const Case cases[] = {
            // A stored switching run that overlaps does not block a new name.
            {"rename beside a stored overlap", "CPropertyPageIllumination", 0,
             [](CBusDevice& c) { SeedRun(c, 0, {{H(18), H(20), 0}, {H(19), H(21), 0}}, 1); }, typeName, {}, {}},
            // A single on-period of 24 hours (end = start) overlaps nothing.
            {"lone 24-hour period", "CPropertyPageTimers305", 0, [](CBusDevice&) {},
             addPoint(QTime(8, 0), QTime(8, 0)), {{501, 1}, {504, H(8)}, {505, H(8)}}, {}},
            {"24-hour period beside another", "CPropertyPageTimers305", 0,
             [](CBusDevice& c) { c.SetValue(500, 1); c.SetValue(501, 1); c.SetValue(504, H(8)); c.SetValue(505, H(8)); },
             addPoint(QTime(12, 0), QTime(13, 0)), {}, {422}},
            // A new cycle length keeps the offset shown: 1000 mod 5 + 3.
            {"cycle length", "CPropertyPageTimers305", 0, cycle,
             [](CMyPropertyPage* p) { TypeAndLeave(p, 1128, QStringLiteral("5")); }, {{503, 5}, {502, 3}}, {}},
            {"to cycle mode", "CPropertyPageTimers305", 0,
             [](CBusDevice& c) { c.SetValue(500, 1); c.SetValue(503, 0x7F); },
             [](CMyPropertyPage* p) { Find<QRadioButton>(p, 1022)->click(); }, {{500, 2}, {503, 1}, {502, 0}}, {}},
        };
        for (const Case& c : cases) {
            CSheetRig rig;
            c.seed(rig.model.Controller());
            QVERIFY(rig.Connect());
            CMyPropertyPage* page = rig.Activate(c.pageClass, c.instance);
            QVERIFY2(page, c.name);
            rig.model.ClearLog();
            c.edit(page);
            rig.Send();
            QVERIFY2(rig.model.Writes() == c.writes, c.name);
            QVERIFY2(rig.ui.MessageIds() == c.messages, c.name);
            // Leaving is refused for the same reasons as sending, and only for them.
            QVERIFY2(rig.sheet->ActivatePage(rig.sheet->GeneralPage()) == c.messages.isEmpty(), c.name);
        }

        // Names longer than any typed before are kept whole by a Send that writes the page.
        for (const QString& pageClass : {QStringLiteral("CPropertyPageIllumination"), QStringLiteral("CPropertyPageTimers305")}) {
            CSheetRig rig;
            QVERIFY(rig.Connect());
            const int list = pageClass.contains(QLatin1String("Timer")) ? CDescriptionLists::Timer
                                                                        : CDescriptionLists::Illumination;
            rig.app.descriptionLists[list][0] = longName;
            CMyPropertyPage* page = rig.Activate(pageClass, 0);
            QCOMPARE(Find<QLineEdit>(page, 1498)->text(), longName);
            page->MarkAllChanged();
            rig.Send();
            QCOMPARE(rig.app.descriptionLists[list][0], longName);
        }
    }

    void timerCycleModeAndFlags() {
        CSheetRig rig;
        CBusDevice& c = rig.model.Controller();
        c.SetValue(171, 1000);
        c.SetValue(520, 194);  // timer 1: cycle, pulses, option
        c.SetValue(523, 7);
        c.SetValue(522, 9);
        c.SetValue(521, 2);
        c.SetValue(524, H(6));
        c.SetValue(525, 30);
        c.SetValue(526, H(18));
        c.SetValue(527, 0);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<CPropertyPageTimers305>(1);
        QCOMPARE(rig.ReadNumbers(), (QList<int>{171, 520, 523, 522, 521, 524, 525, 526, 527}));
        QVERIFY(Find<QRadioButton>(page, 1022)->isChecked());
        QVERIFY(Find<QRadioButton>(page, 1217)->isChecked());
        QCOMPARE(Find<QDoubleSpinBox>(page, 1130)->value(), 3.0);
        QVERIFY(!Find<QCheckBox>(page, 1002)->isEnabled());
        QCOMPARE(Find<CPointList>(page, 1446)->topLevelItem(0)->text(2), QStringLiteral("30s"));

        // To weekday mode: days, length and flags go out; the reference does not.
        rig.model.ClearLog();
        Find<QRadioButton>(page, 1021)->click();
        Find<QCheckBox>(page, 1009)->click();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{520, 1 | 0x80 | 0x40}, {523, 0x02}}));
    }

    void timerUnknownModeKeepsItsBits() {
        CSheetRig rig;
        CBusDevice& c = rig.model.Controller();
        c.SetValue(500, 0x03);
        c.SetValue(503, 0x7F);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageTimers305>(0);
        QVERIFY(!Find<QRadioButton>(page, 1021)->isChecked());
        QVERIFY(!Find<QRadioButton>(page, 1022)->isChecked());
        rig.model.ClearLog();
        Find<QCheckBox>(page, 1240)->click();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{500, 0x43}}));
    }

    void timerAddSortsAndTypeChangeEmpties() {
        CSheetRig rig;
        CBusDevice& c = rig.model.Controller();
        c.SetValue(500, 1 | 0x20);  // instants
        c.SetValue(501, 2);
        c.SetValue(504, H(7));
        c.SetValue(506, H(9));
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageTimers305>(0);
        rig.model.ClearLog();
        WhenDialogOpens([](QDialog* d) {
            QVERIFY(!Find<QTimeEdit>(d, CEditSwitchingPoint::IdEnd));
            Find<QTimeEdit>(d, CEditSwitchingPoint::IdStart)->setTime(QTime(6, 0));
        });
        Find<QPushButton>(page, 1443)->click();
        QCOMPARE(Find<CPointList>(page, 1446)->topLevelItem(0)->text(1), QStringLiteral("06:00"));
        rig.Send();
        QCOMPARE(rig.model.Writes(),
                 (Writes{{501, 3}, {504, H(6)}, {505, 0}, {506, H(7)}, {507, 0}, {508, H(9)}, {509, 0}}));
        rig.model.ClearLog();
        Find<QRadioButton>(page, 1216)->click();
        QCOMPARE(Find<CPointList>(page, 1446)->RowCount(), 0);
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{501, 0}, {500, 1}}));
    }

    void dimmingSimulation() {
        CSheetRig rig;
        SeedRun(rig.model.Controller(), 0, {{H(8), 60, 50}, {H(20), 60, 0}});
        rig.model.Controller().SetValue(1101, 0);
        rig.model.Controller().SetValue(1099, 0);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<CPropertyPageDimmCurves>();
        QVERIFY(page);
        QCOMPARE(page->CurveCount(), int(rig.app.Model()->illuminationChannels));
        QVERIFY(rig.ReadNumbers().contains(1033 + 2 * (page->CurveCount() - 1)));  // every channel read
        QVERIFY(!Find<QSlider>(page, 1423)->isEnabled());
        rig.model.ClearLog();
        Find<QCheckBox>(page, 1424)->click();
        QVERIFY(Find<QSlider>(page, 1423)->isEnabled());
        Find<QSlider>(page, 1423)->setValue(H(9, 30));
        QCOMPARE(Find<QLabel>(page, 1001)->text(), QStringLiteral("09:30"));
        QVERIFY(rig.sheet->ActivatePage(rig.sheet->GeneralPage()));
        QCOMPARE(rig.model.Writes(), (Writes{{1101, 3}, {1099, 0}, {1099, H(9, 30)}, {1101, 0}}));
        QVERIFY(!page->IsSimulating());

        // A refused switch leaves the box as the controller is.
        CDeviceModel::Faults f;
        f.refuse = {1101};
        rig.model.SetFaults(f);
        rig.sheet->ActivatePage(page);
        Find<QCheckBox>(page, 1424)->click();
        QVERIFY(!Find<QCheckBox>(page, 1424)->isChecked());
        QVERIFY(!page->IsSimulating());
    }

    void variableIllumination_data() {
        QTest::addColumn<int>("firmware");
        QTest::newRow("404: no page") << 404;
        QTest::newRow("405") << 405;
    }
    void variableIllumination() {
        QFETCH(int, firmware);
        CSheetRig rig(Firmware(firmware));
        CBusDevice& c = rig.model.Controller();
        c.SetValue(717, 0x4321);
        c.SetValue(718, 0xF765);  // bits above 28 are dropped
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<CPropertyPageVariableIllumination>();
        QCOMPARE(page != nullptr, firmware >= 405);
        if (!page) return;
        QCOMPARE(rig.ReadNumbers(), (QList<int>{715, 716, 717, 718, 719, 720, 721, 722}));
        for (int d = 0; d < 7; ++d) QCOMPARE(page->Selection(1, d), d + 1);
        rig.model.ClearLog();
        Find<QComboBox>(page, 1665 + 7 + 6)->setCurrentIndex(15);
        Find<QComboBox>(page, 1665 + 21)->setCurrentIndex(2);
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{717, 0x4321}, {718, 0xF65}, {721, 2}, {722, 0}}));
    }

    void chartPassesTheComputedPoints() {
        // 22:00 ramps for 180 min from 0 to 100 % past midnight; 12:00 ramps down in an hour.
        CIlluminationRun run;
        run.points = {{{uint16_t(H(22)), 180}, 100}, {{uint16_t(H(12)), 60}, 0}};
        QImage image(900, 300, QImage::Format_RGB32);
        QPainter painter(&image);
        const QRectF client(0, 0, 900, 300);
        CRunChart::DrawFrame(painter, client, QStringLiteral("t"), QStringLiteral("%"));
        const QRectF plot = CRunChart::PlotArea(client);
        QCOMPARE(plot, QRectF(25, 30, 840, 250));
        CRunChart::DrawRun(painter, plot, run, 0, Qt::blue);
        painter.end();
        const auto blueNear = [&](double minute, double percent) {
            const QPointF p = CRunChart::Map(plot, minute, percent);
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    if (image.pixel(int(p.x()) + dx, int(p.y()) + dy) == QColor(Qt::blue).rgb()) return true;
            return false;
        };
        // The level at 23:59 on the straight line over the whole 180 minutes: 119/180.
        const double at1439 = 100.0 * 119 / 180;
        QVERIFY(blueNear(H(23), 100.0 * 60 / 180));
        QVERIFY(blueNear(1439, at1439));
        QVERIFY(blueNear(0, at1439));
        QVERIFY(blueNear(30, at1439 + (100 - at1439) / 2));
        QVERIFY(blueNear(H(6), 100));       // hold until noon
        QVERIFY(blueNear(H(12, 30), 50));   // down in an hour
        QVERIFY(blueNear(H(18), 0));
        QVERIFY(!blueNear(H(6), 50));
        // A single point draws nothing.
        run.points.pop_back();
        QVERIFY(CRunChart::Segments(run, 0).empty());
    }
};

QTEST_MAIN(IlluminationTimersTest)
#include "IlluminationTimers_test.moc"
