// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor input pages against the device model: per type the read and write orders of
// the input's block, then the shared encodings, the calibration notice, the offset coupling,
// the Fahrenheit display, operating hours and the calibration shift arithmetic.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <functional>

#include "support/ControlInput.h"
#include "base/SensorParameters.h"
#include "pages/sensors/CAdjustTempDlg.h"
#include "pages/shared/COperatingHours.h"
#include "pages/sensors/CPropertyPageSensor.h"
#include "pages/sensors/CPropertyPageSensorOverview.h"
#include <QTreeWidget>
#include "pages/sensors/types/CPropertyPageTemperature.h"
#include "support/CSheetRig.h"
#include "support/TestPaths.h"
#include "device/CControllerDefaults.h"
#include "device/CParameterListSeed.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageTable.h"

namespace {
using SensorParameters::Number;
constexpr int kInput = 1;  // input 0 has no sensor: numbers must follow the instance

QList<int> Numbers(const std::vector<int>& ks) {
    QList<int> out;
    for (int k : ks) out << Number(kInput, k);
    return out;
}

CDeviceModel::Options OptionsFor(int type, int firmware = 408) {
    CDeviceModel::Options o;
    o.firmware = firmware;
    o.sensors = {0, type};
    return o;
}

QString Text(QWidget* page, int id) {
    return page->findChild<CEditSpin*>(QString::number(id))->text();
}

// Reads without the live value, which the refresh tick may add at any time.
QList<int> PageReads(const CSheetRig& rig) {
    QList<int> out;
    for (int n : rig.ReadNumbers())
        if (n != Number(kInput, 1000)) out << n;
    return out;
}
}  // namespace

class CPropertyPageSensorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Per type: the controller's block, what the user does, and exactly what Send writes
    // (block settings k of the input, in order).
    void editsWriteWhatThePageShows() {
        using Writes = QVector<QPair<int, int64_t>>;
        struct Case {
            const char* name;
            int type;
            QVector<QPair<int, uint32_t>> device;
            std::function<void(CPropertyPageSensor*)> edit;
            Writes writes;
        };
        auto duration = [](int id, QTime t) {
            return [id, t](CPropertyPageSensor* p) {
                auto* picker = p->findChild<QTimeEdit*>(QString::number(id));
                QCOMPARE(picker->displayFormat(), QStringLiteral("H:mm:ss"));
                picker->setTime(t);
            };
        };
        auto type = [](int id, const char* text, const char* shownBefore = nullptr) {
            return [id, text, shownBefore](CPropertyPageSensor* p) {
                if (shownBefore) QCOMPARE(Text(p, id), QString::fromLatin1(shownBefore));
                TypeAndLeave(p, id, QString::fromLatin1(text));
            };
        };
        const Case cases[] = {
            // In Fahrenheit the plain integer 23 stays an integer.
            {"fahrenheit integer", 1, {{27, 1}, {23, 10}, {948, 1}}, type(1081, "20", "10"), {{23, 20}}},
            {"fahrenheit setpoint", 1, {{27, 1}, {948, 1}}, type(1064, "77"), {{15, 250}}},
            {"duration at most an hour", 1, {{948, 1}}, duration(1435, QTime(2, 0, 0)), {{28, 3600}}},
            {"duration at least a second", 9, {{948, 1}, {29, 60}}, duration(1436, QTime(0, 0, 0)), {{29, 1}}},
            // Ranges of 23 and 949 are the controller's on these pages: values are kept.
            {"fresh water 23", 4, {{23, 2}}, type(1367, "3", "2"), {{23, 3}}},
            {"sea water 23", 5, {{23, 40}}, type(1367, "41", "40"), {{23, 41}}},
            {"oxygen 949", 9, {{23, 40}, {949, 99}}, type(1375, "100", "99"), {{949, 100}}},
            {"oxygen 23 kept", 9, {{23, 40}, {949, 99}}, type(1064, "50.0"), {{15, 500}}},
            // After a setpoint edit the humidity offset may stay at 50.5 ...
            {"humidity offset 50.5", 7, {{15, 400}, {18, 505}}, type(1064, "45.0", "40.0"), {{15, 450}}},
            // ... and follows the setpoint below it.
            {"humidity offset follows", 7, {{15, 400}, {18, 505}}, type(1064, "50.0"), {{15, 500}, {18, 480}}},
            // Typed, the offset stops at 50.0.
            {"humidity offset typed", 7, {{15, 400}, {18, 100}}, type(1077, "50.5"), {{18, 500}}},
        };
        for (const Case& c : cases) {
            CSheetRig rig(OptionsFor(c.type));
            for (const auto& [k, v] : c.device) rig.model.Controller().SetValue(Number(kInput, k), v);
            QVERIFY(rig.Connect());
            auto* page = qobject_cast<CPropertyPageSensor*>(
                rig.Activate(CPageTable::SensorPageClass(c.type), kInput));
            QVERIFY2(page, c.name);
            rig.model.ClearLog();
            c.edit(page);
            rig.Send();
            Writes expected;
            for (const auto& [k, v] : c.writes) expected << qMakePair(Number(kInput, k), v);
            QVERIFY2(rig.model.Writes() == expected, c.name);
        }
    }

    // A retry of the calibration shift after its second write failed starts from the
    // values before the first attempt, so point 1 is not shifted twice.
    void calibrationShiftRetryDoesNotShiftTwice() {
        CSheetRig rig(OptionsFor(1));
        CBusDevice& c = rig.model.Controller();
        const int values[] = {200, 300, 1000, 2000};
        for (int k = 0; k < 4; ++k) c.SetValue(Number(kInput, 10 + k), values[k]);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageTemperature>(kInput);
        CDeviceModel::Faults faults;
        faults.refuse = {Number(kInput, 13)};
        rig.model.SetFaults(faults);
        rig.model.ClearLog();
        CAdjustTempDlg dialog(page, kInput);
        dialog.findChild<CEditSpin*>("1629")->setValue(1.0);
        dialog.accept();
        rig.model.SetFaults({});
        dialog.accept();
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{Number(kInput, 12), 900},
                                                                  {Number(kInput, 13), 1900},
                                                                  {Number(kInput, 12), 900},
                                                                  {Number(kInput, 13), 1900}}));
        QCOMPARE(c.Value(Number(kInput, 12)), int64_t(900));
    }

    void everyTypeReadsAndWritesItsBlockInOrder() {
        const int types[] = {1, 8, 2, 10, 7, 3, 4, 5, 9};
        for (int type : types) {
            CSheetRig rig(OptionsFor(type));
            QVERIFY(rig.Connect());
            rig.model.ClearLog();
            auto* page = qobject_cast<CPropertyPageSensor*>(
                rig.Activate(CPageTable::SensorPageClass(type), kInput));
            QVERIFY2(page, qPrintable(QString::number(type) + QLatin1Char(' ') + rig.Captions().join(QLatin1Char(',')) + QString::number(rig.app.Sensors()[kInput].type)));
            QCOMPARE(page->InstanceIndex(), kInput);
            QCOMPARE(PageReads(rig), Numbers(page->Spec().readOrder));
            rig.model.ClearLog();
            page->MarkAllChanged();
            rig.Send();
            QList<int> written;
            for (const auto& w : rig.model.Writes()) written << w.first;
            QCOMPARE(written, Numbers(page->Spec().writeOrder));
        }
    }

    void sharedEncodingsAndCalibrationNotice() {
        CSheetRig rig(OptionsFor(1));
        CBusDevice& c = rig.model.Controller();
        c.SetValue(Number(kInput, 14), 3);     // selection 1, flag
        c.SetValue(Number(kInput, 951), 1);    // entry 0
        c.SetValue(Number(kInput, 1002), 135); // 2.25 h
        c.SetValue(Number(kInput, 12), 4096);  // not calibrated
        c.SetValue(Number(kInput, 15), 250);
        c.SetValue(Number(kInput, 16), 50);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageTemperature>(kInput);
        QVERIFY(page);
        auto* three = page->findChild<QComboBox*>("1622");
        QCOMPARE(three->currentIndex(), 1);
        QVERIFY(page->findChild<QCheckBox*>("1389")->isChecked());
        QCOMPARE(page->findChild<QComboBox*>("1610")->currentIndex(), 0);
        QCOMPARE(page->findChild<QLabel*>("1283")->text(), QStringLiteral("2.25"));
        QVERIFY(page->findChild<QLabel*>("1433")->isVisibleTo(page));
        QVERIFY(!page->findChild<QWidget*>("1299")->isVisibleTo(page));
        QVERIFY(!page->findChild<QWidget*>("1628")->isVisibleTo(page));

        rig.model.ClearLog();
        three->setCurrentIndex(2);
        page->findChild<QComboBox*>("1610")->setCurrentIndex(2);
        rig.Send();
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{Number(kInput, 14), 7},
                                                                  {Number(kInput, 951), 3}}));

        // Switching the selection off clears the flag too.
        rig.model.ClearLog();
        three->setCurrentIndex(0);
        rig.Send();
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{Number(kInput, 14), 0}}));
    }

    // Resetting the operating hours re-reads the page only when that discards nothing or
    // the user agrees (message 169); otherwise only the counter is shown anew.
    void operatingHoursResetKeepsUnsentEdits() {
        struct Case {
            bool edited;
            int answer;
            QList<int> messages;
            const char* setpointShown;
            QVector<QPair<int, int64_t>> sentAfter;
        };
        const Case cases[] = {
            {false, 0, {123}, "25.0", {}},
            {true, CUserInteraction::IdNo, {123, 169}, "30.0", {{Number(kInput, 15), 300}}},
            {true, CUserInteraction::IdYes, {123, 169}, "25.0", {}},
        };
        for (const Case& c : cases) {
            CSheetRig rig(OptionsFor(1));
            rig.model.Controller().SetValue(Number(kInput, 15), 250);
            rig.model.Controller().SetValue(Number(kInput, 1002), 135);
            QVERIFY(rig.Connect());
            auto* page = rig.Activate<CPropertyPageTemperature>(kInput);
            if (c.edited) TypeAndLeave(page, 1064, QStringLiteral("30.0"));
            rig.ui.QueueAnswer(CUserInteraction::IdYes);
            if (c.answer) rig.ui.QueueAnswer(c.answer);
            rig.model.ClearLog();
            page->findChild<QPushButton*>("1281")->click();
            QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{Number(kInput, 1002), 0}}));
            QCOMPARE(rig.ui.MessageIds(), c.messages);
            QCOMPARE(page->findChild<QLabel*>("1283")->text(), QStringLiteral("0.00"));
            QCOMPARE(Text(page, 1064), QString::fromLatin1(c.setpointShown));
            rig.model.ClearLog();
            rig.Send();
            QCOMPARE(rig.model.Writes(), c.sentAfter);
        }
    }

    void calibratedBelow4096() {
        CSheetRig rig(OptionsFor(1));
        rig.model.Controller().SetValue(Number(kInput, 12), 4095);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageTemperature>(kInput);
        QVERIFY(!page->findChild<QLabel*>("1433")->isVisibleTo(page));
        QVERIFY(page->findChild<QWidget*>("1299")->isVisibleTo(page));
    }

    void offsetStaysInsideBothRanges() {
        CSheetRig rig(OptionsFor(1));
        rig.model.Controller().SetValue(Number(kInput, 18), uint32_t(-30));
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageTemperature>(kInput);
        TypeAndLeave(page, 1064, "34.0");
        QCOMPARE(Text(page, 1077), QStringLiteral("-3.0"));
        TypeAndLeave(page, 1064, "15.5");
        QCOMPARE(Text(page, 1077), QStringLiteral("-0.5"));
        // Between 15.0 and 15.09 the coupled bounds cross: the offset's own range wins.
        TypeAndLeave(page, 1064, "15.0");
        QCOMPARE(Text(page, 1077), QStringLiteral("-0.1"));
    }

    void fahrenheitShowsConvertedAndWritesCelsius() {
        CSheetRig rig(OptionsFor(1));
        CBusDevice& c = rig.model.Controller();
        c.SetValue(Number(kInput, 15), 250);
        c.SetValue(Number(kInput, 16), 50);
        c.SetValue(Number(kInput, 27), 1);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageTemperature>(kInput);
        QCOMPARE(Text(page, 1064), QStringLiteral("77"));
        QCOMPARE(Text(page, 1284), QStringLiteral("0.9"));
        rig.model.ClearLog();
        page->MarkAllChanged();
        rig.Send();
        const auto writes = rig.model.Writes();
        QCOMPARE(writes.at(0), (QPair<int, int64_t>{Number(kInput, 15), 250}));
        QVERIFY(writes.contains(QPair<int, int64_t>{Number(kInput, 16), 50}));
        QCOMPARE(rig.app.Sensors()[kInput].displayMode, uint8_t(1));
        // Every setpoint of the range typed in Fahrenheit writes its own Celsius step.
        for (int raw = 150; raw <= 350; ++raw) {
            const double f = raw / 10.0 * 1.8 + 32;
            TypeAndLeave(page, 1064, QString::number(f, 'f', 2));
            rig.model.ClearLog();
            rig.Send();
            QCOMPARE(rig.model.Writes().value(0).second, int64_t(raw));
        }
    }

    void hoursAndCalibrationShiftArithmetic() {
        QCOMPARE(COperatingHours::HoursOf(135), 2.25);
        QCOMPARE(COperatingHours::MinutesOf(2.5), int64_t(150));
        QCOMPARE(COperatingHours::MinutesOf(-3), int64_t(0));
        QVERIFY(COperatingHours::MinutesOf(1e12) <= 4294967295LL);
        QVERIFY(!CAdjustTempDlg::Shifted(250, 250, 1000, 2000, 1.0));
        // References 20.0 and 30.0 degrees, raw 1000 and 2000: one degree is 100 raw steps.
        const auto s = CAdjustTempDlg::Shifted(200, 300, 1000, 2000, 1.0);
        QVERIFY(s);
        QCOMPARE(s->first, int64_t(900));
        QCOMPARE(s->second, int64_t(1900));
        QVERIFY(!CAdjustTempDlg::Shifted(200, 300, 10, 20, 20.0));  // would go below 0
    }

    void firmwareGates() {
        for (int fw : {401, 402, 403}) {
            CSheetRig rig(OptionsFor(1, fw));
            QVERIFY(rig.Connect());
            auto* page = rig.Activate<CPropertyPageTemperature>(kInput);
            QCOMPARE(page->findChild<QComboBox*>("1622")->count(), fw >= 402 ? 3 : 2);
            QCOMPARE(page->findChild<QWidget*>("1627")->isEnabled(), fw >= 402);
            QCOMPARE(page->findChild<QWidget*>("1287")->isEnabled(), fw >= 403);
        }
    }
    // The emulator's controller with a mix of types (--sensors): every input holds its own
    // type's factory block, inside its page's ranges; the last input shows the notice.
    void emulatorBlocksFitTheirPages() {
        for (const QVector<int>& types : {QVector<int>{1, 2, 3, 4, 5, 7, 8, 9}, QVector<int>{10, 9, 0, 7}}) {
            CDeviceModel::Options o;
            o.sensors = types;
            CSheetRig rig(o);
            CBusDevice& c = rig.model.Controller();
            QVERIFY(CParameterListSeed::SeedFromFolder(rig.model, TestPaths::SourceDir() + "/data/paralists").isEmpty());
            CControllerDefaults::Apply(c);
            QVERIFY(rig.Connect());
            const int last = types[0] == 10 ? 3 : 7;
            for (int i = 0; i < types.size(); ++i) {
                const auto* spec = CPropertyPageSensor::SpecFor(types[i]);
                if (!spec) continue;
                std::vector<CPropertyPageSensor::RealSpec> reals{spec->setpoint, spec->differenceA,
                                                                 spec->differenceB};
                if (spec->offset.k) reals.push_back(spec->offset);
                reals.insert(reals.end(), spec->further.begin(), spec->further.end());
                for (const auto& r : reals) {
                    const double v = double(int32_t(c.Value(Number(i, r.k)))) / r.factor;
                    QVERIFY2(v >= r.minimum - 1e-9 && v <= r.maximum + 1e-9,
                             qPrintable(QStringLiteral("type %1: %2 = %3").arg(types[i]).arg(r.k).arg(v)));
                }
                for (int k : {28, 29}) QVERIFY(c.Value(Number(i, k)) >= 1 && c.Value(Number(i, k)) <= 3600);
                QCOMPARE(c.Value(Number(i, 951)), 1);
                auto* page = qobject_cast<CPropertyPageSensor*>(rig.Activate(CPageTable::SensorPageClass(types[i]), i));
                QVERIFY(page);
                QCOMPARE(page->findChild<QLabel*>("1433")->isVisibleTo(page), i == last);
                QCOMPARE(page->IsCalibrated(), i != last);
            }
        }
    }

    void overviewListsFittedInputsAndCyclesValues() {
        CDeviceModel::Options o;
        o.sensors = {1, 0, 2};
        CSheetRig rig(o);
        CBusDevice& c = rig.model.Controller();
        c.SetValue(Number(0, 15), 250);
        c.SetValue(Number(2, 15), 700);
        c.SetValue(Number(0, 1000), 243);
        c.SetValue(Number(2, 1000), 712);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSensorOverview>();
        QVERIFY(page);
        auto* list = page->findChild<QTreeWidget*>("1417");
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("25\u00B0C"));
        QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("7pH"));
        for (int tick = 0; tick < 3; ++tick) page->RefreshTick();
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("24.3\u00B0C"));
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("7.12pH"));
        // A failed read keeps the text.
        c.SetValue(Number(0, 1000), 250);
        rig.model.SetFaults({1.0});
        for (int tick = 0; tick < 8; ++tick) page->RefreshTick();
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("24.3\u00B0C"));
    }
};

QTEST_MAIN(CPropertyPageSensorTest)
#include "CPropertyPageSensor_test.moc"
