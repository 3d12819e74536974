// SPDX-License-Identifier: GPL-3.0-or-later
// What a user sees of a running controller, through the real engine against the device
// model brought to life with a hand-driven clock: clock, drifting values, changing states,
// the front panel and its keys, operating modes, restart, address change.
#include <QSet>
#include <QTest>
#include <memory>

#include "app/CKorvalisControlApp.h"
#include "device/CControllerDefaults.h"
#include "device/CDeviceModel.h"
#include "device/behaviours/CFrontPanelBehaviour.h"
#include "device/behaviours/CIlluminationLevelsBehaviour.h"
#include "device/CLiveController.h"
#include "device/behaviours/CLiveStatesBehaviour.h"
#include "device/CMemoryChannel.h"
#include "device/behaviours/CRestartBehaviour.h"
#include "link/CSWMBus.h"
#include "support/CScriptedUserInteraction.h"

namespace {
constexpr int64_t kMinute = 60 * 1000;

struct Rig {
    explicit Rig(CDeviceModel::Options o = {}, double timeScale = 1.0) : model(o)
    {
        CControllerDefaults::Apply(model.Controller());
        CLiveController::Settings s;
        s.manualClock = true;
        s.timeScale = timeScale;
        s.restartMs = 2000;
        live = std::make_unique<CLiveController>(model, s);
        app.SetUserInteraction(&ui);
        app.SetFramePause(0);
        app.SetChannelFactory([this](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        connection.replyTimeout = 20;
        connection.smsModule = o.sms;
        QVERIFY(app.Connect(&connection, false));
    }
    int64_t Read(int number, bool sms = false)
    {
        const uint16_t status = app.ReadParameter(number, sms);
        if (status != 0)
            return -100000 - status;
        return static_cast<int64_t>(app.GetLastSignedValue());
    }
    QByteArray Text(int number)
    {
        return app.ReadParameter(number) == 0 ? app.GetLastText() : QByteArray("<failed>");
    }
    uint16_t Write(int number, double value, bool sms = false) { return app.WriteParameter(number, value, sms); }
    void Advance(int64_t ms) { live->Clock().Advance(ms); }
    uint16_t Key(int code) { return Write(CFrontPanelBehaviour::kKeyParameter, code); }

    CDeviceModel model;
    std::unique_ptr<CLiveController> live;
    CScriptedUserInteraction ui;
    CKorvalisControlApp app;
    CConnection connection;
};
}  // namespace

class CLiveControllerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clockRunsAndCanBeSet()
    {
        Rig rig({}, 60.0);  // one real second is a device minute
        rig.live->Clock().SetWallMs(5 * CDeviceClock::kMsPerDay + 23 * 60 * kMinute + 59 * kMinute);
        QCOMPARE(rig.Read(170), 23 * 60 + 59);
        QCOMPARE(rig.Read(171), 5);
        rig.Advance(1000);  // a device minute later the day turns
        QCOMPARE(rig.Read(170), 0);
        QCOMPARE(rig.Read(171), 6);

        QCOMPARE(rig.Write(170, 8 * 60 + 30), uint16_t(0));
        QCOMPARE(rig.Write(171, 8766), uint16_t(0));  // 1 January 2024
        QCOMPARE(rig.Read(170), 8 * 60 + 30);
        QCOMPARE(rig.Read(171), 8766);
        rig.Advance(30 * 1000);
        QCOMPARE(rig.Read(170), 9 * 60);

        // Impossible times and dates are refused and change nothing.
        QCOMPARE(rig.Write(170, 1440), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(170, -1), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(171, 40000), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Read(170), 9 * 60);
        QCOMPARE(rig.Read(171), 8766);
    }

    void valuesDriftAroundTheirSetpoints()
    {
        Rig rig;  // Korvalis D: pH, temperature, sea water, redox
        const int setpoints[4] = {820, 250, 530, 350};
        const int amplitude[4] = {6, 4, 4, 12};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(rig.Read(20 * i + 15), setpoints[i]);
        for (int i = 0; i < 4; ++i) {
            int64_t lo = INT64_MAX, hi = INT64_MIN;
            for (int step = 0; step < 120; ++step) {
                rig.Advance(kMinute);
                const int64_t v = rig.Read(1000 + 4 * i);
                lo = qMin(lo, v);
                hi = qMax(hi, v);
            }
            QVERIFY2(lo >= setpoints[i] - amplitude[i] && hi <= setpoints[i] + amplitude[i],
                     qPrintable(QStringLiteral("input %1: %2..%3").arg(i).arg(lo).arg(hi)));
            QVERIFY2(hi - lo >= amplitude[i], "the value moves");
        }
        // A new setpoint moves the value with it; inputs without a sensor read 0.
        QCOMPARE(rig.Write(15 + 20, 280), uint16_t(0));
        QVERIFY(qAbs(rig.Read(1004) - 280) <= 4);
        QCOMPARE(rig.Read(1000 + 4 * 5), 0);
        // Redox below zero stays signed.
        QCOMPARE(rig.Write(15 + 60, -150), uint16_t(0));
        QVERIFY(qAbs(rig.Read(1012) + 150) <= 12);
        // Live values are the controller's; the PC cannot write them.
        QCOMPARE(rig.Write(1000, 5), uint16_t(CSWMBus::NotAcknowledged));
    }

    void operatingTimeCountsMinutesAndResets()
    {
        Rig rig;
        const int64_t start = rig.Read(1002);
        rig.Advance(90 * kMinute + 30 * 1000);
        QCOMPARE(rig.Read(1002), start + 90);
        QCOMPARE(rig.Write(1002, 0), uint16_t(0));
        QCOMPARE(rig.Read(1002), 0);
        rig.Advance(5 * kMinute);
        QCOMPARE(rig.Read(1002), 5);
    }

    void socketsFollowTheirFunctions_data()
    {
        QTest::addColumn<int>("day");  // day 0, 1 January 2000, was a Saturday
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("mask");
        // Model D's default sockets: S1-S4 lamps 1-4, S5-S8 timers 1-4, S9/S10 heating and
        // cooling of input 2, S11 its alarm, S12 a logic output (left out: it switches now
        // and then), S13 filter, S14 feed pause, S15 alarm output, the rest unused.
        QTest::newRow("Monday 07:45, lamp 2 rising, weekday timers") << 2 << (7 * 60 + 45) * 60 << 0x1092;
        QTest::newRow("Monday 12:30, daylight, after the switching instant") << 2 << (12 * 60 + 30) * 60 << 0x1043;
        QTest::newRow("Saturday 07:45, weekday timers off") << 0 << (7 * 60 + 45) * 60 << 0x1002;
        QTest::newRow("cycle day 06:00:30, in the pulse") << 1 << 6 * 3600 + 30 << 0x1020;
        QTest::newRow("cycle day 06:01:30, pulse over") << 1 << 6 * 3600 + 90 << 0x1000;
        QTest::newRow("not a cycle day 06:00:30") << 2 << 6 * 3600 + 30 << 0x1000;
    }
    void socketsFollowTheirFunctions()
    {
        QFETCH(int, day);
        QFETCH(int, second);
        QFETCH(int, mask);
        Rig rig;
        rig.live->Clock().SetWallMs(day * CDeviceClock::kMsPerDay + second * 1000LL);
        const int64_t checked = 0xFFFFFF & ~(0x100 | 0x200 | 0x800);
        QCOMPARE(rig.Read(1188) & checked, int64_t(mask));
        // The marker inverts: an inverted feed pause is on.
        QCOMPARE(rig.Write(684 + 13, 28 | 0x8000), uint16_t(0));
        QCOMPARE(rig.Read(1188) & checked, int64_t(mask | 0x2000));
    }

    void socketsFollowTheTestModeAndTakePowerStripCommands()
    {
        Rig rig;
        for (int step = 0; step < 60; ++step) {
            rig.Advance(kMinute);
            const int64_t mask = rig.Read(1188);
            QVERIFY(mask >= 0 && mask < (1 << 24));
            QVERIFY2((mask & 0x300) != 0x300, "heating and cooling never at once");
        }
        // Power-strip commands within their ranges.
        QCOMPARE(rig.Write(1054, 19), uint16_t(0));
        QCOMPARE(rig.Write(1054, 20), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(1055, 37), uint16_t(0));
        QCOMPARE(rig.Write(1055, 64), uint16_t(CSWMBus::NotAcknowledged));
        // Outside test mode the sockets are not the PC's to switch.
        QCOMPARE(rig.Write(1188, 5), uint16_t(CSWMBus::NotAcknowledged));
        const int64_t before = rig.Read(1188);
        QCOMPARE(rig.Write(1101, 5), uint16_t(0));
        QCOMPARE(rig.Read(1188), before);  // test mode starts from the states of the moment
        QCOMPARE(rig.Write(1188, 0x800005), uint16_t(0));
        rig.Advance(30 * kMinute);
        QCOMPARE(rig.Read(1188), 0x800005);
        QCOMPARE(rig.Write(1101, 0), uint16_t(0));
        QCOMPARE(rig.Write(1188, 1), uint16_t(CSWMBus::NotAcknowledged));

        // Maintenance puts the included sockets into their maintenance states.
        QCOMPARE(rig.Write(800, 0x0003), uint16_t(0));  // sockets 1 and 2 included
        QCOMPARE(rig.Write(802, 0x0002), uint16_t(0));  // 1 off, 2 on
        QCOMPARE(rig.Write(1058, 257), uint16_t(0));
        QCOMPARE(rig.Read(1101), 4);
        for (int step = 0; step < 20; ++step) {
            rig.Advance(3 * kMinute);
            QCOMPARE(rig.Read(1188) & 3, 2);
        }
    }

    void levelAlarmLatchesUntilCleared()
    {
        Rig rig;  // firmware 408: one word per level channel
        QCOMPARE(rig.Read(1090), 0);
        QCOMPARE(rig.Read(1070) & 1, 0);
        QCOMPARE(rig.Read(1132), 1);  // lamp off
        rig.Advance(CLiveStatesBehaviour::kLevelAlarmOffsetMs + kMinute);
        QCOMPARE(rig.Read(1070) & 1, 1);
        QVERIFY(rig.Read(1090) & CLiveStatesBehaviour::LevelAlarm);
        QCOMPARE(rig.Read(1132), 0);  // lamp lit
        rig.Advance(10 * kMinute);
        QCOMPARE(rig.Read(1070) & 1, 1);  // stays until cleared
        QCOMPARE(rig.Write(1070, 3), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(1071, 0), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(1070, 0), uint16_t(0));
        QCOMPARE(rig.Read(1070) & 1, 0);
        QCOMPARE(rig.Read(1090) & CLiveStatesBehaviour::LevelAlarm, 0);
        // The next onset raises it again.
        rig.Advance(CLiveStatesBehaviour::kLevelAlarmPeriodMs);
        QCOMPARE(rig.Read(1070) & 1, 1);
        // The level function switched by the one-shot command shows in bits 8..11.
        QCOMPARE(rig.Write(1058, 256), uint16_t(0));
        QCOMPARE((rig.Read(1070) >> 8) & 0xF, 1);
        QCOMPARE(rig.Write(1058, 0), uint16_t(0));
        QCOMPARE((rig.Read(1070) >> 8) & 0xF, 0);
    }

    void pumpOutputsSwingBetweenTheirLevels()
    {
        Rig rig;
        QCOMPARE(rig.Write(885, 20), uint16_t(0));
        QCOMPARE(rig.Write(888, 90), uint16_t(0));
        QCOMPARE(rig.Write(1080, 50), uint16_t(CSWMBus::NotAcknowledged));
        QSet<int64_t> seen;
        for (int s = 0; s < 20; ++s) {
            const int64_t v = rig.Read(1080);
            QVERIFY2(v >= 20 && v <= 90, qPrintable(QString::number(v)));
            seen.insert(v);
            rig.Advance(1000);
        }
        QVERIFY(seen.size() > 5);
        // Levels out of order or out of range stay within percent.
        QCOMPARE(rig.Write(892, 250), uint16_t(0));
        QCOMPARE(rig.Write(895, 10), uint16_t(0));
        QCOMPARE(rig.Read(1081), 100);
    }

    void digitalInputsChangeAndDeviceCommandsAreOneShot()
    {
        Rig rig;
        QCOMPARE(rig.Write(1091, 1), uint16_t(CSWMBus::NotAcknowledged));
        QSet<int64_t> seen;
        for (int s = 0; s < 120; ++s) {
            const int64_t v = rig.Read(1091);
            QVERIFY(v >= 0 && v <= 15);
            seen.insert(v);
            rig.Advance(1000);
        }
        QVERIFY(seen.size() > 3);
        for (int v : {75, 100, 225})
            QCOMPARE(rig.Write(1052, v), uint16_t(0));
        QCOMPARE(rig.Write(1052, 110), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(1065, 3), uint16_t(0));
        QCOMPARE(rig.Write(1065, 5), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Read(1052), 0);
        QCOMPARE(rig.Read(1065), 0);
        // The heater command is newer than firmware 4.01.
        CDeviceModel::Options o;
        o.firmware = 401;
        Rig older(o);
        QCOMPARE(older.Write(1065, 3), uint16_t(CSWMBus::NotAcknowledged));
    }

    void olderFirmwareKeepsOneLevelWord()
    {
        CDeviceModel::Options o;
        o.firmware = 404;
        Rig rig(o);
        rig.Advance(CLiveStatesBehaviour::kLevelAlarmOffsetMs + kMinute);
        QCOMPARE(rig.Read(1070) & 0x10, 0x10);
        QCOMPARE(rig.Write(1058, 65280), uint16_t(0));
        QCOMPARE(rig.Read(1071), 2);
        QCOMPARE(rig.Write(1070, 0), uint16_t(0));
        QCOMPARE(rig.Read(1070) & 0x10, 0);
        // Models without level inputs report none.
        CDeviceModel::Options a;
        a.productCode = 2;
        Rig modelA(a);
        modelA.Advance(CLiveStatesBehaviour::kLevelAlarmOffsetMs + kMinute);
        QCOMPARE(modelA.Read(1070), 0);
    }

    void operatingModesAndOneShotCommands()
    {
        Rig rig;
        QCOMPARE(rig.Read(1101), 0);
        for (int mode : {3, 5, 6, 0})
            QCOMPARE(rig.Write(1101, mode), uint16_t(0));
        for (int mode : {1, 2, 7, -1})
            QCOMPARE(rig.Write(1101, mode), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(1058, 257), uint16_t(0));
        QCOMPARE(rig.Read(1101), 4);
        QCOMPARE(rig.Read(1058), 0);  // a command is not kept
        QCOMPARE(rig.Write(1058, 1), uint16_t(0));
        QCOMPARE(rig.Read(1101), 0);
        QCOMPARE(rig.Write(1058, 5 * 256 + 3), uint16_t(0));  // thunderstorm, 5
        QCOMPARE(rig.Write(1058, 21 * 256 + 3), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(1058, 9), uint16_t(CSWMBus::NotAcknowledged));
    }

    void frontPanelMenuFollowsTheKeys()
    {
        Rig rig;
        rig.live->Clock().SetWallMs(100 * CDeviceClock::kMsPerDay + (14 * 60 + 32) * kMinute);
        QCOMPARE(rig.Text(1151), QByteArray("Korvalis D 14:32"));
        QVERIFY2(rig.Text(1152).startsWith("pH1 "), rig.Text(1152).constData());
        QCOMPARE(rig.Text(1152).size(), 16);
        QByteArray attributes = rig.Text(1153);
        QCOMPARE(attributes.size(), 9);
        QCOMPARE(uint8_t(attributes[8]), uint8_t(0));  // no cursor
        QCOMPARE(rig.Key(CFrontPanelBehaviour::Down), uint16_t(0));
        QVERIFY(rig.Text(1152).startsWith("Temp1 "));

        rig.Key(CFrontPanelBehaviour::Ok);
        QCOMPARE(rig.Text(1151), QByteArray(">Sensors        "));
        QCOMPARE(rig.Text(1152), QByteArray(" Sockets        "));
        rig.Key(CFrontPanelBehaviour::Down);
        rig.Key(CFrontPanelBehaviour::Ok);
        QCOMPARE(rig.Text(1151), QByteArray("Sockets 1-12    "));
        // Switched-on sockets are user-defined character 0, which attribute 0 shows as 'x'.
        const QByteArray states = rig.Text(1152).left(12);
        const int64_t mask = rig.Read(1188);
        for (int k = 0; k < 12; ++k)
            QCOMPARE(states[k], (mask >> k) & 1 ? '\x80' : '.');
        QCOMPARE(uint8_t(rig.Text(1153)[0]), uint8_t(0));

        // The clock screen: OK starts editing with the cursor on the hours.
        rig.Key(CFrontPanelBehaviour::F4);
        QCOMPARE(rig.Text(1151), QByteArray("Time       14:32"));
        rig.Key(CFrontPanelBehaviour::Ok);
        attributes = rig.Text(1153);
        QCOMPARE(uint8_t(attributes[8]), uint8_t(0x80 | 12));
        rig.Key(CFrontPanelBehaviour::Up);
        rig.Key(CFrontPanelBehaviour::Right);
        QCOMPARE(uint8_t(rig.Text(1153)[8]), uint8_t(0x80 | 15));
        rig.Key(CFrontPanelBehaviour::Down);
        rig.Key(CFrontPanelBehaviour::Down);
        QCOMPARE(rig.Text(1151), QByteArray("Time       15:30"));
        QCOMPARE(rig.Read(170), 14 * 60 + 32);  // not stored yet
        rig.Key(CFrontPanelBehaviour::Ok);
        QCOMPARE(rig.Read(170), 15 * 60 + 30);
        QCOMPARE(uint8_t(rig.Text(1153)[8]), uint8_t(0));

        // Maintenance from the panel, and back to the status screen.
        rig.Key(CFrontPanelBehaviour::Escape);
        rig.Key(CFrontPanelBehaviour::Down);
        rig.Key(CFrontPanelBehaviour::Ok);
        QCOMPARE(rig.Text(1151), QByteArray("Maintenance     "));
        rig.Key(CFrontPanelBehaviour::Ok);
        QCOMPARE(rig.Read(1101), 4);
        rig.Key(CFrontPanelBehaviour::F1);
        QCOMPARE(rig.Text(1152), QByteArray("Maintenance     "));
        // Keys are bytes; the display lines are the controller's.
        QCOMPARE(rig.Key(300), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Key(77), uint16_t(0));  // unknown keys do nothing
        QCOMPARE(rig.app.WriteTextParameter(1151, "hello"), uint16_t(CSWMBus::NotAcknowledged));
    }

    void panelReturnsHomeWhenIdle()
    {
        Rig rig;
        rig.Key(CFrontPanelBehaviour::F5);
        QVERIFY(rig.Text(1151).startsWith("Firmware"));
        QVERIFY(rig.Text(1151).endsWith("4.08"));
        rig.Advance(CFrontPanelBehaviour::kIdleMs + 1000);
        QVERIFY(rig.Text(1151).startsWith("Korvalis D"));
    }

    void restartSilencesTheDeviceForAWhile()
    {
        Rig rig;
        QCOMPARE(rig.Write(1101, 5), uint16_t(0));
        rig.app.Bus()->SetWaitForAcknowledge(false);
        QCOMPARE(rig.Write(3, 0), uint16_t(0));  // only the request goes out
        rig.app.Bus()->SetWaitForAcknowledge(true);
        QCOMPARE(rig.live->Restart().RestartCount(), 1);
        QCOMPARE(rig.Read(2), -100000 - CSWMBus::NoAnswer);
        rig.Advance(2500);
        QCOMPARE(rig.Read(2), 4);
        QCOMPARE(rig.Read(1101), 0);  // the test mode did not survive
    }

    void busAddressMovesAfterTheAcknowledgement()
    {
        Rig rig;
        QCOMPARE(rig.Write(5, 7), uint16_t(0));  // acknowledged from the old address
        QCOMPARE(rig.Read(2), -100000 - CSWMBus::NoAnswer);
        rig.connection.deviceAddress = 7;
        QVERIFY(rig.app.Connect(&rig.connection, false));
        QCOMPARE(rig.Read(5), 7);
        // The SMS module's address is not for the taking.
        CDeviceModel::Options o;
        o.sms = true;
        Rig withSms(o);
        QCOMPARE(withSms.Write(5, 34), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(withSms.Write(5, 35), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(withSms.Read(5), 1);
        QCOMPARE(withSms.Read(2), 4);
        QCOMPARE(withSms.Read(2, true), 10);
    }

    void smsModuleKeepsItsOwnTime()
    {
        CDeviceModel::Options o;
        o.sms = true;
        Rig rig(o);
        rig.live->Clock().SetWallMs(10 * 60 * kMinute);
        QCOMPARE(rig.Read(2060, true), 600);
        QCOMPARE(rig.Write(2060, 1500, true), uint16_t(CSWMBus::NotAcknowledged));
    }

    void hooksAreGivenBackWhenTheBehavioursGo()
    {
        CDeviceModel model;
        {
            CLiveController live(model, {});
        }
        // The model's own address handling still works without the behaviours.
        CMemoryChannel channel(model);
        CSWMBus bus(&channel, 20);
        bus.SetFramePause(0);
        QCOMPARE(bus.WriteValue(5, 9), uint16_t(0));
        bus.SetDeviceAddress(9);
        QCOMPARE(bus.Read(2), uint16_t(0));
    }

    void lightLevelsFollowTheRunTheSimulationOrAnOverride()
    {
        Rig rig;
        // Channel 1 of the demo ramps from 0 at 08:00 to 60 % in 90 minutes.
        QCOMPARE(rig.Write(170, 8 * 60 + 45), uint16_t(0));
        QCOMPARE(rig.Read(1032), 30);
        QCOMPARE(rig.Write(1101, 3), uint16_t(0));
        QCOMPARE(rig.Write(1099, 12 * 60), uint16_t(0));
        QCOMPARE(rig.Read(1032), 100);
        QCOMPARE(rig.Write(1101, 0), uint16_t(0));
        QCOMPARE(rig.Read(1032), 30);
        rig.live->IlluminationLevels().SetOverride(
            [](const CBusDevice&, int channel) -> std::optional<int> { return channel == 0 ? std::optional<int>(7) : std::nullopt; });
        QCOMPARE(rig.Read(1032), 7);
        QVERIFY(rig.live->IsVolatile(1032));
    }

    void lightSceneTestTakesTheWrittenLevels()
    {
        Rig rig;
        QCOMPARE(rig.Write(170, 8 * 60 + 45), uint16_t(0));
        QCOMPARE(rig.Read(1032), 30);
        // Outside the test the levels are the runs': writes are refused.
        QCOMPARE(rig.Write(1032, 80), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(1101, 6), uint16_t(0));
        QCOMPARE(rig.Read(1032), 30);  // the test starts where the channel was
        QCOMPARE(rig.Write(1032, 80), uint16_t(0));
        QCOMPARE(rig.Write(1046, 5), uint16_t(0));
        QCOMPARE(rig.Write(1034, 101), uint16_t(CSWMBus::NotAcknowledged));
        rig.Advance(30 * kMinute);
        QCOMPARE(rig.Read(1032), 80);
        QCOMPARE(rig.Read(1046), 5);
        QCOMPARE(rig.Write(1101, 0), uint16_t(0));
        QCOMPARE(rig.Read(1032), 50);  // back on its run, half an hour later
        // The special lamp's commands are one-shots within their ranges.
        QCOMPARE(rig.Write(1321, 9), uint16_t(0));
        QCOMPARE(rig.Write(1321, 10), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Write(1320, 0), uint16_t(0));
        QCOMPARE(rig.Write(1320, 1), uint16_t(CSWMBus::NotAcknowledged));
        QCOMPARE(rig.Read(1321), 0);
        QVERIFY(rig.live->IsVolatile(1321));
    }
};

QTEST_GUILESS_MAIN(CLiveControllerTest)
#include "CLiveController_test.moc"
