// SPDX-License-Identifier: GPL-3.0-or-later
// Light runs and timers: the checks before sending, the stable sort, the flags word and the
// cycle reference.
#include <QTest>

#include "schedule/CIlluminationRun.h"
#include "schedule/CTimer.h"

namespace {
constexpr int H(int h, int m = 0) { return h * 60 + m; }

struct Pt { int start, second, level; };

CIlluminationRun Run(std::initializer_list<Pt> pts) {
    CIlluminationRun run;
    for (const Pt& p : pts)
        run.points.push_back({{uint16_t(p.start), uint16_t(p.second)}, uint8_t(p.level)});
    return run;
}

CTimer Timer(int type, std::initializer_list<std::pair<int, int>> pts) {
    CTimer t;
    t.pointType = uint8_t(type);
    for (auto [s, v] : pts) t.points.push_back({uint16_t(s), uint16_t(v)});
    return t;
}
}  // namespace

Q_DECLARE_METATYPE(CIlluminationRun)
Q_DECLARE_METATYPE(CTimer)

class SwitchingPointsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runValidation_data() {
        QTest::addColumn<CIlluminationRun>("run");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("message");
        QTest::newRow("empty") << Run({}) << 0 << 0;
        QTest::newRow("single point") << Run({{H(8), 60, 80}}) << 0 << 0;
        QTest::newRow("wraps once") << Run({{H(8), 30, 50}, {H(12), 30, 90}, {H(7), 30, 0}}) << 0 << 0;
        QTest::newRow("out of order") << Run({{H(8), 30, 50}, {H(7), 30, 90}, {H(12), 30, 0}}) << 0 << 363;
        QTest::newRow("ramp into next") << Run({{H(22), 180, 50}, {H(0, 30), 30, 0}}) << 0 << 364;
        QTest::newRow("ramp ends before next") << Run({{H(22), 120, 50}, {H(0, 30), 30, 0}}) << 0 << 0;
        QTest::newRow("ramp ends at next") << Run({{H(22), 150, 50}, {H(0, 30), 30, 0}}) << 0 << 364;
        QTest::newRow("equal starts") << Run({{H(8), 5, 50}, {H(8), 5, 0}}) << 0 << 363;
        QTest::newRow("switching in order") << Run({{H(8), H(9), 0}, {H(18), H(20), 0}}) << 1 << 0;
        QTest::newRow("switching out of order") << Run({{H(8), H(9), 0}, {H(7), H(7, 30), 0}, {H(12), H(13), 0}}) << 1 << 423;
        QTest::newRow("switching overlap") << Run({{H(8), H(13), 0}, {H(12), H(14), 0}}) << 1 << 422;
        QTest::newRow("switching past midnight") << Run({{H(0, 30), H(2), 0}, {H(23), H(1), 0}}) << 1 << 422;
    }
    void runValidation() {
        QFETCH(CIlluminationRun, run);
        QFETCH(int, mode);
        QFETCH(int, message);
        QCOMPARE(run.Validate(mode), message);
    }

    void timerValidation_data() {
        QTest::addColumn<CTimer>("timer");
        QTest::addColumn<int>("result");
        QTest::newRow("empty") << Timer(0, {}) << 0;
        QTest::newRow("periods") << Timer(0, {{H(8), H(9)}, {H(18), H(20)}}) << 0;
        QTest::newRow("period past midnight overlaps") << Timer(0, {{H(0, 30), H(2)}, {H(23), H(1)}}) << 2;
        QTest::newRow("equal start and end is a day") << Timer(0, {{H(8), H(8)}, {H(18), H(19)}}) << 2;
        QTest::newRow("alone, a whole day") << Timer(0, {{H(8), H(8)}}) << 0;
        QTest::newRow("period ends before next") << Timer(0, {{H(8), H(17, 59)}, {H(18), H(19)}}) << 0;
        QTest::newRow("pulses apart") << Timer(1, {{H(8), 300}, {H(8, 6), 30}}) << 0;
        QTest::newRow("pulse reaches next") << Timer(1, {{H(8), 300}, {H(8, 5), 30}}) << 2;
        QTest::newRow("instants never overlap") << Timer(2, {{H(8), 0}, {H(8, 1), 0}}) << 0;
        QTest::newRow("instants out of order") << Timer(2, {{H(8), 0}, {H(7), 0}, {H(12), 0}}) << 1;
        QTest::newRow("periods out of order") << Timer(0, {{H(8), H(9)}, {H(7), H(7, 30)}, {H(12), H(13)}}) << 1;
    }
    void timerValidation() {
        QFETCH(CTimer, timer);
        QFETCH(int, result);
        QCOMPARE(int(timer.Validate()), result);
    }

    void sortIsStable() {
        CTimer t = Timer(0, {{H(7), 1}, {H(9), 2}, {H(6), 3}, {H(9), 4}, {H(7), 5}});
        t.Sort();
        QList<int> order;
        for (const CSwitchtime& p : t.points) order << p.second;
        QCOMPARE(order, (QList<int>{3, 1, 5, 2, 4}));
    }

    void flagsWord_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("option");
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("flags");
        QTest::newRow("cycle, pulse, option") << 1 << 1 << true << 0 << 194;
        QTest::newRow("weekdays, periods") << 0 << 0 << false << 0xE2 << 1;
        QTest::newRow("instants") << 0 << 2 << false << 0 << 0x21;
        QTest::newRow("unknown mode 3 kept") << -1 << 0 << false << 0x83 << 3;
        QTest::newRow("unknown mode 0 kept") << -1 << 1 << true << 0x40 << 0xC0;
    }
    void flagsWord() {
        QFETCH(int, mode);
        QFETCH(int, type);
        QFETCH(bool, option);
        QFETCH(int, device);
        QFETCH(int, flags);
        QCOMPARE(int(CTimer::Flags(mode, type, option, uint32_t(device))), flags);
        if (mode >= 0) {
            QCOMPARE(CTimer::ModeOf(uint32_t(flags)), mode);
            QCOMPARE(CTimer::PointTypeOf(uint32_t(flags)), type);
            QCOMPARE(CTimer::OptionOf(uint32_t(flags)), option);
        }
    }

    void flagsRead() {
        QCOMPARE(CTimer::ModeOf(0), -1);
        QCOMPARE(CTimer::ModeOf(3), -1);
        QCOMPARE(CTimer::PointTypeOf(0xA0), int(CTimer::Instant));  // bit 5 wins
    }

    void levelAtAMinute_data() {
        QTest::addColumn<CIlluminationRun>("run");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("level");
        const CIlluminationRun day = Run({{H(8), 60, 100}, {H(20), 120, 0}});
        QTest::newRow("night") << day << 0 << H(3) << 0;
        QTest::newRow("half way up") << day << 0 << H(8, 30) << 50;
        QTest::newRow("held") << day << 0 << H(15) << 100;
        QTest::newRow("going down") << day << 0 << H(21) << 50;
        const CIlluminationRun wrap = Run({{H(23), 120, 100}, {H(12), 60, 0}});
        QTest::newRow("ramp past midnight") << wrap << 0 << H(0) << 50;
        QTest::newRow("single point holds") << Run({{H(8), 60, 40}}) << 0 << H(2) << 40;
        const CIlluminationRun pulses = Run({{H(22), H(1), 0}});
        QTest::newRow("on past midnight") << pulses << 1 << H(0, 30) << 100;
        QTest::newRow("off at the end minute") << pulses << 1 << H(1) << 0;
    }
    void levelAtAMinute() {
        QFETCH(CIlluminationRun, run);
        QFETCH(int, mode);
        QFETCH(int, minute);
        QFETCH(int, level);
        QCOMPARE(run.LevelAt(mode, minute), level);
    }

    void cycleReference() {
        QCOMPARE(CTimer::CycleReference(1000, 7, 3), std::optional<int64_t>(9));
        QCOMPARE(CTimer::OffsetFromReference(9, 1000, 7), 3);
        QCOMPARE(CTimer::CycleReference(1000, 0, 3), std::nullopt);
        QCOMPARE(CTimer::OffsetFromReference(9, 1000, 0), 0);
    }
};

QTEST_GUILESS_MAIN(SwitchingPointsTest)
#include "SwitchingPoints_test.moc"
