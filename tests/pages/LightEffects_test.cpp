// SPDX-License-Identifier: GPL-3.0-or-later
// The four light-effect pages against the device model: the light console's live levels,
// test mode and fades driven tick by tick on a hand-set clock; the thunderstorm, light
// reduction and special-lamp pages' orders, gates, couplings and commands.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimeEdit>
#include <array>

#include "device/CControllerDefaults.h"
#include "device/CLiveController.h"
#include "pages/effects/CFlashIntensity.h"
#include "pages/effects/CPropertyPageLightScenes.h"
#include "pages/effects/CPropertyPageSpecialLamp.h"
#include "pages/effects/CPropertyPageTempDepLightRed.h"
#include "pages/effects/CPropertyPageThunderstorm.h"
#include "support/CSheetRig.h"
#include "support/ControlInput.h"
#include "ui/page/CEditSpin.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
using Scenes = CPropertyPageLightScenes;
using Storm = CPropertyPageThunderstorm;
using Reduction = CPropertyPageTempDepLightRed;
using Lamp = CPropertyPageSpecialLamp;

template <class T>
T* Find(QWidget* parent, int id) {
    T* w = parent->findChild<T*>(QString::number(id));
    if (!w) qWarning("no control %d", id);
    return w;
}

QString Text(QWidget* page, int id) {
    return Find<CEditSpin>(page, id)->text();
}

CDeviceModel::Options Firmware(int version) {
    CDeviceModel::Options o;
    o.firmware = version;
    return o;
}

// A light console whose fades run on the test's clock and whose ticks come from the test.
struct Console {
    Console() {
        for (int k = 0; k < 8; ++k) rig.model.Controller().SetValue(Scenes::LevelParameter(k), 10 * k);
    }
    Scenes* Open() {
        if (!rig.Connect()) return nullptr;
        page = rig.Activate<Scenes>();
        if (!page) return nullptr;
        page->StopRefresh();
        page->SetClock([this] { return now; });
        return page;
    }
    void Tick(uint32_t ms = 100) {
        now += ms;
        page->RefreshTick();
    }
    QList<int64_t> LevelsWritten(int channel) const {
        QList<int64_t> v;
        for (const auto& w : rig.model.Writes())
            if (w.first == Scenes::LevelParameter(channel)) v << w.second;
        return v;
    }
    QSlider* Slider(int k) { return Find<QSlider>(page, Scenes::kSliderIds[k]); }
    int Progress() { return Find<QProgressBar>(page, Scenes::IdProgress)->value(); }
    void TestMode() { Find<QCheckBox>(page, Scenes::IdTestMode)->click(); }
    void PressScene(int s) { Find<QPushButton>(page, Scenes::kSceneButtonIds[s])->click(); }
    void AllTo(int level) {
        for (int b = 0; b < 5; ++b)
            if (Scenes::kLevelButtonLevels[b] == level) Find<QPushButton>(page, Scenes::kLevelButtonIds[b])->click();
    }

    CSheetRig rig;
    Scenes* page = nullptr;
    uint32_t now = 0xFFFFF000u;  // the counter wraps during the fades
};
}  // namespace

class LightEffectsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // --- light console -----------------------------------------------------------------------

    void consoleShowsLiveLevelsUntilTestMode() {
        Console c;
        QVERIFY(c.Open());
        QCOMPARE(Find<QLabel>(c.page, Scenes::IdFadeText)->text(), QStringLiteral("10 s"));
        QCOMPARE(c.page->Scene(2, 2), 100);
        QCOMPARE(c.page->Scene(2, 1), 0);
        QCOMPARE(Find<QLineEdit>(c.page, Scenes::SceneEditId(3, 3))->text(), QStringLiteral("100"));
        QVERIFY(!c.Slider(0)->isEnabled());
        c.rig.model.ClearLog();
        c.rig.model.Controller().SetValue(1036, 250);  // untrusted: shown as 100
        c.Tick();
        QCOMPARE(c.rig.ReadNumbers(), (QList<int>{1032, 1034, 1036, 1038, 1040, 1042, 1044, 1046}));
        QCOMPARE(c.Slider(7)->value(), 70);
        QCOMPARE(Find<QLabel>(c.page, Scenes::kLevelTextIds[7])->text(), QStringLiteral("70%"));
        QCOMPARE(c.page->Level(2), 100);

        c.TestMode();
        QVERIFY(c.page->InTestMode());
        QVERIFY(c.Slider(0)->isEnabled());
        QCOMPARE(c.rig.model.Writes(), (Writes{{1101, 6}}));
        // In test mode the tick reads nothing and sends only what moved.
        c.rig.model.ClearLog();
        c.Slider(4)->setValue(55);
        c.Tick();
        c.Tick();
        QCOMPARE(c.rig.model.Writes(), (Writes{{1040, 55}}));
        QVERIFY(c.rig.ReadNumbers().isEmpty() || !c.rig.ReadNumbers().contains(1032));
        c.rig.model.ClearLog();
        c.AllTo(25);
        c.Tick();
        QCOMPARE(c.rig.model.Writes().size(), 8);
        for (int k = 0; k < 8; ++k) QCOMPARE(c.page->Level(k), 25);
    }

    void fadeOfTenSecondsEndsAtExactlyTheScene() {
        Console c;
        QVERIFY(c.Open());
        c.TestMode();
        c.AllTo(0);
        c.Tick();
        c.rig.model.ClearLog();
        c.PressScene(0);
        QVERIFY(c.page->IsFading());
        QList<int64_t> expected;
        for (int i = 1; i <= 100; ++i) {
            c.Tick();
            expected << i;
            if (i == 50) QCOMPARE(c.Progress(), 50);
        }
        // One percent per tick, never a step low, and exactly 100 at the end.
        QCOMPARE(c.LevelsWritten(0), expected);
        QVERIFY(!c.page->IsFading());
        QCOMPARE(c.Progress(), 0);
        QCOMPARE(c.Slider(0)->value(), 100);
        QCOMPARE(c.rig.model.Writes().size(), 100);  // the other channels stayed at 0
        c.Tick();
        QCOMPARE(c.rig.model.Writes().size(), 100);
    }

    void sceneOrSliderDuringAFadeStopsIt() {
        Console c;
        QVERIFY(c.Open());
        c.TestMode();
        c.AllTo(0);
        c.Tick();
        // Scene 2 at 25 % on channel 2 instead of 100; 250 typed is taken as 100.
        Find<QLineEdit>(c.page, Scenes::SceneEditId(1, 1))->setText(QStringLiteral("40"));
        Find<QLineEdit>(c.page, Scenes::SceneEditId(1, 7))->setText(QStringLiteral("250"));
        c.PressScene(1);
        QCOMPARE(Find<QLineEdit>(c.page, Scenes::SceneEditId(1, 7))->text(), QStringLiteral("100"));
        for (int i = 0; i < 50; ++i) c.Tick();
        QCOMPARE(c.page->Level(1), 20);
        QCOMPARE(c.page->Level(7), 50);
        // A scene press stops the fade where it is, the next starts from there.
        c.PressScene(3);
        QVERIFY(!c.page->IsFading());
        c.Tick();
        QCOMPARE(c.page->Level(1), 20);
        c.PressScene(3);
        c.Tick(5000);
        QCOMPARE(c.page->Level(1), 10);
        QCOMPARE(c.page->Level(3), 50);
        // A moved slider wins over the fade and goes out at the next tick.
        c.rig.model.ClearLog();
        c.Slider(5)->setValue(80);
        c.Tick();
        QVERIFY(!c.page->IsFading());
        QCOMPARE(c.rig.model.Writes(), (Writes{{1042, 80}}));
        QCOMPARE(c.Progress(), 0);
        c.Tick(5000);
        QCOMPARE(c.page->Level(3), 50);
    }

    void fadeTimeIsTakenWhenTheSliderIsLetGo() {
        Console c;
        QVERIFY(c.Open());
        auto* slider = Find<QSlider>(c.page, Scenes::IdFadeTime);
        slider->setSliderDown(true);
        slider->setValue(25);
        QCOMPARE(c.page->FadeTime(), 10);
        slider->setSliderDown(false);
        QCOMPARE(c.page->FadeTime(), 25);
        QCOMPARE(Find<QLabel>(c.page, Scenes::IdFadeText)->text(), QStringLiteral("25s"));
        c.TestMode();
        c.AllTo(0);
        c.Tick();
        c.PressScene(0);
        c.Tick(12500);
        QCOMPARE(c.page->Level(0), 50);
    }

    void failuresInTestModeAreToldOnce() {
        Console c;
        QVERIFY(c.Open());
        // A refused switch puts the box back.
        CDeviceModel::Faults f;
        f.refuse = {1101};
        c.rig.model.SetFaults(f);
        c.TestMode();
        QVERIFY(!c.page->InTestMode());
        QVERIFY(!Find<QCheckBox>(c.page, Scenes::IdTestMode)->isChecked());
        QCOMPARE(c.rig.ui.MessageIds(), QList<int>{354});

        c.rig.model.SetFaults({});
        c.rig.ui.shown.clear();
        c.rig.sheet->ActivatePage(c.page);
        c.page->StopRefresh();
        c.TestMode();
        QVERIFY(c.page->InTestMode());
        c.AllTo(0);
        c.Tick();
        c.PressScene(0);
        f.refuse = {1032, 1034};
        c.rig.model.SetFaults(f);
        c.rig.ui.QueueAnswer(CUserInteraction::IdNo);  // leaving in test mode: keep it
        c.AllTo(50);
        c.Tick();
        // One message, the fade over, the level shown as sent and not sent again.
        QCOMPARE(c.rig.ui.MessageIds(), (QList<int>{354, 330}));
        QVERIFY(!c.page->IsFading());
        QCOMPARE(c.page->Level(0), 50);
        QCOMPARE(c.rig.sheet->ActivePage(), c.rig.sheet->GeneralPage());
        QVERIFY(c.page->InTestMode());
    }

    void leavingInTestModeAsksAndRemovalEndsIt() {
        Console c;
        QVERIFY(c.Open());
        c.TestMode();
        c.rig.ui.QueueAnswer(CUserInteraction::IdNo);
        c.rig.sheet->ActivatePage(c.rig.sheet->GeneralPage());
        QCOMPARE(c.rig.ui.MessageIds(), QList<int>{330});
        QCOMPARE(c.rig.model.Controller().Value(1101), 6);
        c.rig.sheet->ActivatePage(c.page);
        c.rig.ui.QueueAnswer(CUserInteraction::IdYes);
        c.rig.sheet->ActivatePage(c.rig.sheet->GeneralPage());
        QCOMPARE(c.rig.model.Controller().Value(1101), 0);
        QVERIFY(!c.page->InTestMode());
        c.rig.sheet->ActivatePage(c.page);
        c.TestMode();
        c.rig.ui.QueueAnswer(CUserInteraction::IdNo);
        c.rig.Disconnect();
        QCOMPARE(c.rig.model.Controller().Value(1101), 0);
    }

    void consoleDrivesTheLiveController() {
        Console c;
        CControllerDefaults::Apply(c.rig.model.Controller());  // the demo's light runs
        CLiveController::Settings s;
        s.manualClock = true;
        CLiveController live(c.rig.model, s);
        QCOMPARE(c.rig.model.Controller().ApplyWrite(170, 8 * 60 + 45), uint8_t(0));
        QVERIFY(c.Open());
        c.Tick();
        std::array<int, 8> run{};
        for (int k = 0; k < 8; ++k) run[size_t(k)] = c.page->Level(k);
        QCOMPARE(run[0], 30);
        c.TestMode();
        c.Tick();
        QCOMPARE(c.page->Level(1), run[1]);  // the test starts from what the lamps show
        c.AllTo(75);
        c.Tick();
        CBusDevice& d = c.rig.model.Controller();
        for (int k = 0; k < 8; ++k) {
            d.Refresh(Scenes::LevelParameter(k));
            QCOMPARE(d.Value(Scenes::LevelParameter(k)), 75);
        }
        // Out of the test the channels follow their runs again, and the sliders them.
        c.TestMode();
        QCOMPARE(d.Value(1101), 0);
        c.Tick();
        for (int k = 0; k < 8; ++k) QCOMPARE(c.page->Level(k), run[size_t(k)]);
    }

    // --- thunderstorm --------------------------------------------------------------------------

    void stormOrdersAndFirmwareGate_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QList<int>>("reads");
        QTest::addColumn<QList<int>>("writes");
        const QList<int> base{742, 740, 741, 751, 743, 744, 745, 746, 747, 748, 749, 750};
        QTest::newRow("4.06") << 406 << base << base;
        QTest::newRow("4.07") << 407 << base + QList<int>{752, 753, 754} << base + QList<int>{752, 754, 753};
    }

    void stormOrdersAndFirmwareGate() {
        QFETCH(int, firmware);
        QFETCH(QList<int>, reads);
        QFETCH(QList<int>, writes);
        CSheetRig rig(Firmware(firmware));
        CBusDevice& d = rig.model.Controller();
        d.SetValue(742, 3);
        d.SetValue(751, 0xC1);  // bit 7 is no day
        d.SetValue(745, 13 * 60 + 5);
        d.SetValue(753, 30);
        d.SetValue(754, 60);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<Storm>();
        QVERIFY(page);
        QCOMPARE(rig.ReadNumbers(), reads);
        QCOMPARE(Find<QTimeEdit>(page, Storm::kTimeIds[1])->time(), QTime(13, 5));
        QVERIFY(Find<QCheckBox>(page, Storm::kDayIds[0])->isChecked());
        QVERIFY(Find<QCheckBox>(page, Storm::kDayIds[6])->isChecked());
        for (int id : {Storm::IdValue752, Storm::IdValue753, Storm::IdValue754})
            QCOMPARE(Find<CEditSpin>(page, id)->isEnabled(), firmware >= 407);
        rig.model.ClearLog();
        page->MarkAllChanged();
        rig.Send();
        QList<int> sent;
        for (const auto& w : rig.model.Writes()) sent << w.first;
        QCOMPARE(sent, writes);
        QCOMPARE(d.Value(751), 0x41);
    }

    void stormCountEnablesRowsAndValuesCouple() {
        CSheetRig rig(Firmware(408));
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<Storm>();
        QVERIFY(page);
        TypeAndLeave(page, Storm::IdCount, QStringLiteral("2"));
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(Find<QTimeEdit>(page, Storm::kTimeIds[i])->isEnabled(), i < 2);
            QCOMPARE(Find<CEditSpin>(page, Storm::kDurationIds[i])->isEnabled(), i < 2);
        }
        TypeAndLeave(page, Storm::IdCount, QStringLiteral("7"));
        QCOMPARE(Text(page, Storm::IdCount), QStringLiteral("4"));
        TypeAndLeave(page, Storm::kDurationIds[3], QStringLiteral("25"));
        QCOMPARE(Text(page, Storm::kDurationIds[3]), QStringLiteral("20"));
        TypeAndLeave(page, Storm::IdValue753, QStringLiteral("5"));
        TypeAndLeave(page, Storm::IdValue754, QStringLiteral("3"));
        QCOMPARE(Text(page, Storm::IdValue754), QStringLiteral("5"));
        // Raising the lower value raises the upper one with it, and both are sent.
        TypeAndLeave(page, Storm::IdValue753, QStringLiteral("90"));
        QCOMPARE(Text(page, Storm::IdValue754), QStringLiteral("90"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{742, 4}, {750, 20}, {754, 90}, {753, 90}}));
    }

    void stormStartsNow() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<Storm>();
        QVERIFY(page);
        rig.model.ClearLog();
        Find<QPushButton>(page, Storm::IdStartNow)->click();
        TypeAndLeave(page, Storm::IdStartDuration, QStringLiteral("30"));
        Find<QPushButton>(page, Storm::IdStartNow)->click();
        QCOMPARE(rig.model.Writes(), (Writes{{1058, 5 * 256 + 3}, {1058, 20 * 256 + 3}}));
        QVERIFY(!page->IsModified());
    }

    // --- temperature-dependent light reduction ---------------------------------------------------

    void reductionInFahrenheitHoldsCelsius() {
        CDeviceModel::Options o;
        o.sensors = {1, 2, 8, 0};
        CSheetRig rig(o);
        CBusDevice& d = rig.model.Controller();
        d.SetValue(27, 1);  // input 1 shows Fahrenheit
        d.SetValue(755, 0x81);
        d.SetValue(756, 20);
        d.SetValue(757, 50);
        d.SetValue(758, 2);
        d.SetValue(759, 30);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<Reduction>();
        QVERIFY(page);
        QCOMPARE(rig.ReadNumbers(), (QList<int>{755, 756, 757, 758, 759}));
        QCOMPARE(page->Inputs(), (std::vector<int>{0, 2}));
        auto* input = Find<QComboBox>(page, Reduction::IdInput);
        QCOMPARE(input->currentIndex(), 1);
        QVERIFY(Find<QCheckBox>(page, Reduction::IdFirstChannel + 7)->isChecked());
        QCOMPARE(Text(page, Reduction::IdValueA), QStringLiteral("2.0"));
        QCOMPARE(Find<QLabel>(page, Reduction::kUnitLabelIds[0])->text(), QStringLiteral("°C"));

        input->setCurrentIndex(0);
        QCOMPARE(Text(page, Reduction::IdValueA), QStringLiteral("3.6"));
        QCOMPARE(Find<QLabel>(page, Reduction::kUnitLabelIds[2])->text(), QStringLiteral("°F"));
        // 9 F is 5.0 C, which pushes B up to A + 1; 1.98 F is 1.1 C, not one step low.
        TypeAndLeave(page, Reduction::IdValueA, QStringLiteral("9"));
        TypeAndLeave(page, Reduction::IdValueC, QStringLiteral("1.98"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{756, 50}, {757, 60}, {758, 0}, {759, 11}}));
    }

    void reductionLimits_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Writes>("sent");  // from A 2.0, B 5.0, C 3.0
        QTest::newRow("B below A + 1") << int(Reduction::IdValueB) << "2.5" << Writes{{757, 30}};
        QTest::newRow("B above 10") << int(Reduction::IdValueB) << "12" << Writes{{757, 100}};
        QTest::newRow("A up to B") << int(Reduction::IdValueA) << "5" << Writes{{756, 50}, {757, 60}};
        QTest::newRow("A below 1") << int(Reduction::IdValueA) << "0.4" << Writes{{756, 10}};
        QTest::newRow("C above 10") << int(Reduction::IdValueC) << "11" << Writes{{759, 100}};
        QTest::newRow("C below 1") << int(Reduction::IdValueC) << "0" << Writes{{759, 10}};
    }

    void reductionLimits() {
        QFETCH(int, control);
        QFETCH(QString, typed);
        QFETCH(Writes, sent);
        CSheetRig rig;
        CBusDevice& d = rig.model.Controller();
        d.SetValue(756, 20);
        d.SetValue(757, 50);
        d.SetValue(759, 30);
        d.SetValue(758, 1);  // model D: input 2 is its temperature input
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<Reduction>();
        QVERIFY(page);
        TypeAndLeave(page, control, typed);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), sent);
    }

    // --- special lamp ----------------------------------------------------------------------------

    void specialLampFromFirmware402() {
        for (int version : {401, 402}) {
            CSheetRig rig(Firmware(version));
            QVERIFY(rig.Connect());
            QCOMPARE(rig.sheet->FindPage<Lamp>() != nullptr, version >= 402);
        }
        CSheetRig rig(Firmware(402));
        CBusDevice& d = rig.model.Controller();
        d.SetValue(436, 0);
        d.SetValue(437, 4);
        d.SetValue(438, 6);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<Lamp>();
        QVERIFY(page);
        QCOMPARE(rig.ReadNumbers(), (QList<int>{436, 437, 438}));
        QCOMPARE(Text(page, Lamp::IdLampB), QStringLiteral("5"));
        QCOMPARE(Text(page, Lamp::IdLampA), QStringLiteral("7"));
        QVERIFY(!Find<CEditSpin>(page, Lamp::IdLampA)->isEnabled());
        Find<QCheckBox>(page, Lamp::IdOn)->click();
        QVERIFY(Find<CEditSpin>(page, Lamp::IdLampA)->isEnabled());
        // The commands wait until the switch is sent.
        QVERIFY(!Find<QPushButton>(page, Lamp::IdFlash)->isEnabled());
        TypeAndLeave(page, Lamp::IdLampA, QStringLiteral("1"));
        TypeAndLeave(page, Lamp::IdLampB, QStringLiteral("12"));
        QCOMPARE(Text(page, Lamp::IdLampB), QStringLiteral("8"));
        TypeAndLeave(page, Lamp::IdLampB, QStringLiteral("2"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{436, 1}, {437, 1}, {438, 0}}));
        QVERIFY(Find<QPushButton>(page, Lamp::IdFlash)->isEnabled());
    }

    void specialLampCommands() {
        CSheetRig rig(Firmware(408));
        rig.model.Controller().SetValue(436, 1);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<Lamp>();
        QVERIFY(page);
        rig.sheet->show();
        rig.model.ClearLog();
        // Typed beyond the dialog's range: 9 goes out.
        WhenModalOpens<CFlashIntensity>([](CFlashIntensity* dialog) {
            TypeAndLeave(dialog, CFlashIntensity::IdIntensity, QStringLiteral("12"));
            dialog->accept();
        });
        Find<QPushButton>(page, Lamp::IdFlash)->click();
        WhenModalOpens<CFlashIntensity>([](CFlashIntensity* dialog) { dialog->reject(); });
        Find<QPushButton>(page, Lamp::IdFlash)->click();
        Find<QPushButton>(page, Lamp::IdCommand)->click();
        QCOMPARE(rig.model.Writes(), (Writes{{1321, 9}, {1320, 0}}));
        QCOMPARE(rig.ui.MessageIds(), (QList<int>{372, 371}));
        // No confirmation when the controller refuses.
        CDeviceModel::Faults f;
        f.refuse = {1320};
        rig.model.SetFaults(f);
        rig.ui.shown.clear();
        rig.sheet->ActivatePage(page);
        Find<QPushButton>(page, Lamp::IdCommand)->click();
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
    }
};

QTEST_MAIN(LightEffectsTest)
#include "LightEffects_test.moc"
