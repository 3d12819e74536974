// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's packings of page values, each over a table of its cases.
#include <QTest>

#include "app/FieldCodecs.h"
#include "base/SensorParameters.h"

using namespace FieldCodecs;

class FieldCodecsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bitFields() {
        struct Case {
            uint32_t raw;
            int shift, width;
            uint32_t get;
            uint32_t put;
            uint32_t afterPut;
        };
        const Case cases[] = {
            {0b1011, 0, 1, 1, 0, 0b1010},
            {0b1011, 1, 2, 0b01, 0b11, 0b1111},
            {0x12345678, 8, 8, 0x56, 0xAB, 0x1234AB78},
            {0x12345678, 28, 4, 0x1, 0x1F, 0xF2345678},  // cut to the width
            {0xFFFFFFFF, 0, 32, 0xFFFFFFFF, 5, 5},
        };
        for (const Case& c : cases) {
            QCOMPARE(GetBits(c.raw, c.shift, c.width), c.get);
            QCOMPARE(SetBits(c.raw, c.shift, c.width, c.put), c.afterPut);
        }
        QCOMPARE(Nibble(0x1234, 2), 2u);
        QCOMPARE(Byte(0x1234, 1), 0x12u);
    }

    void listIndexes() {
        struct Case {
            int64_t raw;
            int offset, count, index;
        };
        const Case cases[] = {
            {1, 1, 3, 0}, {3, 1, 3, 2}, {4, 1, 3, -1}, {0, 1, 3, -1},
            {0, 0, 3, 0}, {-1, 0, 3, -1}, {4294967295LL, 0, 3, -1},
        };
        for (const Case& c : cases) QCOMPARE(IndexFromDevice(c.raw, c.offset, c.count), c.index);
        QCOMPARE(IndexToDevice(2, 1), int64_t(3));
    }

    void signAndHemisphere() {
        struct Case {
            int64_t raw, magnitude;
            int side;
        };
        const Case cases[] = {{523, 523, 0}, {-1234, 1234, 1}, {0, 0, 0}};
        for (const Case& c : cases) {
            const SignedMagnitude m = SplitSign(c.raw);
            QCOMPARE(m.magnitude, c.magnitude);
            QCOMPARE(m.side, c.side);
            QCOMPARE(JoinSign(m.magnitude, m.side), c.raw);
        }
        QCOMPARE(JoinSign(-5, 0), int64_t(5));
    }

    void sensorSelections() {
        // Three-way: 0 -> 0, 1 -> 1, 2 -> 5, flag in bit 1; a device value with bit 2 but not
        // bit 0 reads as 0.
        struct Three {
            uint32_t raw;
            int selection;
            bool flag;
        };
        const Three three[] = {{0, 0, false}, {1, 1, false}, {5, 2, false}, {3, 1, true},
                               {7, 2, true},  {2, 0, true},  {4, 0, false}};
        for (const Three& c : three) {
            QCOMPARE(ThreeWayFromDevice(c.raw), c.selection);
            QCOMPARE(GetBits(c.raw, 1, 1) != 0, c.flag);
            if (c.raw != 4) QCOMPARE(ThreeWayToDevice(c.selection, c.flag), c.raw);
        }
        for (uint32_t raw = 0; raw < 16; ++raw) {
            QCOMPARE(FiveWayFromDevice(raw), int(raw & 7));
            QCOMPARE(FiveWayToDevice(FiveWayFromDevice(raw), raw & 8), raw);
        }
    }

    void operatingHours() {
        struct Case {
            double minutes, hours;
        };
        const Case cases[] = {{135, 2.25}, {150, 2.5}, {59, 0.98}, {0, 0}, {61, 1.01}};
        for (const Case& c : cases) QCOMPARE(MinutesToHours(c.minutes), c.hours);
        QCOMPARE(HoursToMinutes(2.5), int64_t(150));
        QCOMPARE(HoursToMinutes(0.1), int64_t(6));
    }

    void sensorBlockNumbers() {
        using namespace SensorParameters;
        QCOMPARE(Number(0, Setpoint), 15);
        QCOMPARE(Number(3, Setpoint), 75);
        QCOMPARE(Number(7, 29), 169);
        QCOMPARE(Number(2, 948), 956);
        QCOMPARE(Number(7, 951), 979);
        QCOMPARE(Number(1, OperatingTime), 1006);
        QVERIFY(IsBlockNumber(10) && IsBlockNumber(169) && IsBlockNumber(979));
        QVERIFY(!IsBlockNumber(170) && !IsBlockNumber(947) && !IsBlockNumber(980));
        QVERIFY(IsOperatingTime(1030) && !IsOperatingTime(1031) && !IsOperatingTime(1034));
    }
};

QTEST_GUILESS_MAIN(FieldCodecsTest)
#include "FieldCodecs_test.moc"
