// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing a whole parameter list against the device model: order, addresses,
// the per-parameter questions, cancel, the firmware-version rules and parameter 5.
#include <QtTest/QtTest>

#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "link/CSWMBus.h"
#include "params/CParameterArray.h"
#include "support/CScriptedTransferUi.h"

namespace {
using Access = CDeviceModel::Access;

CDeviceModel::Options Opts(int firmware = 408, bool sms = false)
{
    CDeviceModel::Options o;
    o.productCode = 4;
    o.firmware = firmware;
    o.sms = sms;
    return o;
}

struct Rig {
    explicit Rig(const CDeviceModel::Options& o = Opts()) : model(o), channel(model), bus(&channel, 100)
    {
        bus.SetFramePause(0);
        bus.SetDeviceAddress(1);
    }
    // (address, number) of every access of one kind, in order.
    QList<QPair<int, int>> Accesses(Access::Kind kind) const
    {
        QList<QPair<int, int>> out;
        for (const Access& a : model.Log())
            if (a.kind == kind) out.append({a.address, a.number});
        return out;
    }
    QList<int> WrittenNumbers() const
    {
        QList<int> out;
        for (const Access& a : model.Log())
            if (a.kind != Access::Read) out << a.number;
        return out;
    }
    void Drop(bool on)
    {
        CDeviceModel::Faults f = model.GetFaults();
        f.dropRate = on ? 1.0 : 0.0;
        model.SetFaults(f);
    }
    CDeviceModel model;
    CMemoryChannel channel;
    CSWMBus bus;
    CScriptedTransferUi ui;
};

CParameterArray List(int version, const QList<int>& numbers)
{
    CParameterArray list;
    list.Add(CParameter(0, QStringLiteral("CODE_SOFTWAREVERSION"), version));
    for (int n : numbers) list.Add(CParameter(uint16_t(n), QStringLiteral("P%1").arg(n), n));
    return list;
}
}  // namespace

class BulkTransferTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English))); }

    void readStoresEveryValueInListOrder()
    {
        Rig r;
        r.model.Controller().SetValue(500, 4294967295LL);
        r.model.Controller().SetText(90, "hello");
        CParameterArray list;
        list.Add(CParameter(500, QStringLiteral("Flags"), 1));
        list.Add(CParameter::MakeText(90, QStringLiteral("Phone"), "old"));
        list.Add(CParameter(6, QStringLiteral("CODE_SERIALNUMBER"), 0));
        QList<int> ignored;
        QCOMPARE(list.ReadAllFromController(r.bus, r.ui, &ignored), 0);
        QCOMPARE(list[0].Value, 4294967295.0);  // the unsigned reading
        QCOMPARE(list[1].Text, QByteArray("\"hello\""));
        QCOMPARE(list[2].Value, 123456.0);
        QVERIFY(ignored.isEmpty());
        QCOMPARE(r.Accesses(Access::Read), (QList<QPair<int, int>>{{1, 500}, {1, 90}, {1, 6}}));
        QCOMPARE(r.ui.captions, QStringList{Tr(344)});
        QCOMPARE(r.ui.itemTexts, (QStringList{"Flags", "Phone", "CODE_SERIALNUMBER"}));
        QCOMPARE(r.ui.progressRange, 3);
        QCOMPARE(r.ui.progressPos, 3);
        QCOMPARE(r.ui.windowsClosed, 1);
    }

    void readFailureAsksAbortRetryIgnore()
    {
        Rig r;
        r.model.Controller().SetValue(501, 77);
        r.Drop(true);
        CParameterArray list = List(408, {500, 501, 502});
        list.RemoveAt(0);
        // 500: retried once, then the device answers; 501: ignored; 502: abort.
        r.ui.cancelWhen = [&](int pumps) {
            if (pumps >= 2)
                r.Drop(true);
            return false;
        };
        r.ui.onFailure = [&](const CParameter& p, int failures) {
            if (p.Number == 500) {
                if (failures == 2)
                    r.Drop(false);
                return int(CUserInteraction::IdRetry);
            }
            return int(p.Number == 501 ? CUserInteraction::IdIgnore : CUserInteraction::IdAbort);
        };
        QList<int> ignored;
        QCOMPARE(list.ReadAllFromController(r.bus, r.ui, &ignored), int(CSWMBus::NoAnswer));
        QCOMPARE(ignored, QList<int>{1});
        QCOMPARE(list[0].Value, 0.0);    // read after the retry
        QCOMPARE(list[1].Value, 501.0);  // ignored: the list's value stays
        QCOMPARE(r.ui.MessageIds(), (QList<int>{124, 124, 124, 124}));
        QCOMPARE(r.ui.messages[0].args, (QStringList{"P500", "500"}));
        QCOMPARE(r.ui.messages[0].buttons, CUserInteraction::Buttons::AbortRetryIgnore);
        QCOMPARE(r.ui.windowsClosed, 1);
    }

    void emptyListsAndListsWithoutVersion()
    {
        Rig r;
        CParameterArray empty;
        QCOMPARE(empty.ReadAllFromController(r.bus, r.ui), 0);
        QCOMPARE(empty.WriteAllToController(r.bus, r.ui, {}), CParameterArray::NoVersionParameter);
        CParameterArray noVersion = List(408, {500});
        noVersion.RemoveAt(0);
        QCOMPARE(noVersion.WriteAllToController(r.bus, r.ui, {}), CParameterArray::NoVersionParameter);
        QVERIFY(r.model.Log().isEmpty());
        QCOMPARE(r.ui.windowsClosed, r.ui.windowsOpened);
    }

    void writeSendsEverythingButIdentification()
    {
        Rig r;
        r.model.Controller().SetText(90, {});  // a byte-string parameter of the device
        CParameterArray list;
        list.Add(CParameter(0, QStringLiteral("CODE_SOFTWAREVERSION"), 408));
        list.Add(CParameter(2, QStringLiteral("CODE_PRODUCTID"), 4));
        list.Add(CParameter(6, QStringLiteral("CODE_SERIALNUMBER"), 99));
        list.Add(CParameter(7, QStringLiteral("CODE_PRODUCTID_COPY"), 5));
        list.Add(CParameter::MakeText(90, QStringLiteral("Text"), "ABC"));
        list.Add(CParameter(500, QStringLiteral("Negative"), -3));
        QCOMPARE(list.WriteAllToController(r.bus, r.ui, {}), 0);
        QCOMPARE(r.model.Log().first().kind, Access::Read);  // the device's version first
        QCOMPARE(r.model.Log().first().number, 0);
        QCOMPARE(r.WrittenNumbers(), (QList<int>{7, 90, 500}));
        QCOMPARE(r.model.Controller().Text(90), QByteArray("ABC"));
        QCOMPARE(r.model.Controller().Value(500), -3);
        QCOMPARE(r.ui.captions, QStringList{Tr(345)});
        QVERIFY(r.ui.messages.isEmpty());
    }

    void versionThresholds_data()
    {
        QTest::addColumn<int>("listVersion");
        QTest::addColumn<int>("deviceVersion");
        QTest::addColumn<QList<int>>("messages");
        QTest::addColumn<QList<int>>("leftOut");
        QTest::newRow("299 to 305") << 299 << 305 << QList<int>{305} << QList<int>{207, 239, 662, 683, 690, 819};
        QTest::newRow("405 to 405") << 405 << 405 << QList<int>{} << QList<int>{};
        QTest::newRow("405 to 408") << 405 << 408 << QList<int>{471} << QList<int>{735, 790, 495, 713, 760, 767, 769};
        QTest::newRow("408 to 405") << 408 << 405 << QList<int>{471} << QList<int>{735, 790, 495, 713, 760, 767, 769};
        QTest::newRow("399 to 408") << 399 << 408 << QList<int>{333, 471}
                                    << QList<int>{767, 812, 735, 790, 495, 713, 760, 769};
        QTest::newRow("290 to 406") << 290 << 406 << QList<int>{305, 304, 333}
                                    << QList<int>{207, 239, 662, 683, 690, 819, 767, 812, 735, 790};
    }

    void versionThresholds()
    {
        QFETCH(int, listVersion);
        QFETCH(int, deviceVersion);
        QFETCH(QList<int>, messages);
        QFETCH(QList<int>, leftOut);
        Rig r(Opts(deviceVersion));
        const QList<int> numbers{207, 239, 300, 662, 663, 683, 690, 700, 819, 767,
                                 812, 816, 735, 790, 495, 713, 714, 760, 769, 770};
        CParameterArray list = List(listVersion, numbers);
        QCOMPARE(list.WriteAllToController(r.bus, r.ui, {}), 0);
        QCOMPARE(r.ui.MessageIds(), messages);
        QList<int> expected;
        for (int n : numbers)
            if (!leftOut.contains(n)) expected << n;
        QCOMPARE(r.WrittenNumbers(), expected);
    }


    void calibrationListsRescalePhAcross400()
    {
        // pH values are hundredths from 4.00 on and tenths before: multiplied on the way up,
        // divided on the way down (multiplying there too would make them a hundred times off).
        for (auto [listVersion, deviceVersion] :
             QList<QPair<int, int>>{{399, 400}, {399, 399}, {408, 399}}) {
            Rig r(Opts(deviceVersion));
            CParameterArray list;
            list.Add(CParameter(0, QStringLiteral("CODE_SOFTWAREVERSION"), listVersion));
            for (auto [n, v] : QList<QPair<int, int>>{{50, 700}, {51, 400}, {52, 2000}, {55, 820}, {58, -20}, {30, 5}})
                list.Add(CParameter(uint16_t(n), QStringLiteral("S%1").arg(n), v));
            CParameterArray::WriteOptions options;
            options.sensorTypes = {0, 1, 2, 0, 0, 0, 0, 0};  // pH on the third input only
            QCOMPARE(list.WriteAllToController(r.bus, r.ui, options), 0);
            const bool crossed = listVersion != deviceVersion;
            QCOMPARE(r.ui.MessageIds(), crossed ? QList<int>{331} : QList<int>{});
            const auto scaled = [&](int v) {
                return !crossed ? v : listVersion < 400 ? v * 10 : v / 10;
            };
            const CBusDevice& c = r.model.Controller();
            for (auto [n, v] : QList<QPair<int, int>>{{50, 700}, {51, 400}, {55, 820}, {58, -20}})
                QCOMPARE(c.Value(n), scaled(v));
            QCOMPARE(c.Value(52), 2000);  // raw measurement values keep their scale
            QCOMPARE(c.Value(30), 5);     // the temperature input is not touched
        }
        // A full backup across 4.00: the settings' messages, and its pH values rescaled too.
        Rig r(Opts(400));
        CParameterArray list;
        list.Add(CParameter(0, QStringLiteral("CODE_SOFTWAREVERSION"), 399));
        list.Add(CParameter(50, QStringLiteral("S50"), 700));
        list.Add(CParameter(170, QStringLiteral("T"), 1));
        CParameterArray::WriteOptions options;
        options.sensorTypes = {0, 1, 2, 0, 0, 0, 0, 0};
        QCOMPARE(list.WriteAllToController(r.bus, r.ui, options), 0);
        QCOMPARE(r.ui.MessageIds(), (QList<int>{333, 331}));
        QCOMPARE(r.model.Controller().Value(50), 7000);
    }

    void unreadableDeviceVersionFallsBackToTheConnectVersion()
    {
        for (int known : {408, -1}) {
            Rig r(Opts(408));
            r.Drop(true);
            r.ui.cancelWhen = [&](int) {
                r.Drop(false);
                return false;
            };
            CParameterArray list = List(405, {760, 300});
            CParameterArray::WriteOptions options;
            options.knownDeviceVersion = known;
            QCOMPARE(list.WriteAllToController(r.bus, r.ui, options), 0);
            QCOMPARE(r.ui.MessageIds(), known < 0 ? QList<int>{} : QList<int>{471});
            QCOMPARE(r.WrittenNumbers(), known < 0 ? (QList<int>{760, 300}) : QList<int>{300});
        }
    }

    void parameter5MovesTheRestOfTheTransfer()
    {
        Rig r;
        QList<int> followed;
        CParameterArray::WriteOptions options;
        options.followAddress = [&](int a) { followed << a; };
        CParameterArray list = List(408, {500, 5, 501});
        list.ReplaceByNumber(5, CParameter(5, QStringLiteral("CODE_BUSADDRESS"), 12));
        QCOMPARE(list.WriteAllToController(r.bus, r.ui, options), 0);
        QCOMPARE(followed, QList<int>{12});
        QCOMPARE(r.Accesses(Access::Write), (QList<QPair<int, int>>{{1, 500}, {1, 5}, {12, 501}}));
        QCOMPARE(r.bus.GetDeviceAddress(), uint8_t(12));
        QCOMPARE(r.model.Controller().Value(501), 501);
    }

    void parameter5IsFollowedOnlyAfterAnAcknowledgedControllerWrite()
    {
        // Refused and ignored: the controller kept its address, so the transfer does too.
        Rig r;
        CDeviceModel::Faults f;
        f.refuse = {5};
        r.model.SetFaults(f);
        r.ui.failureAnswer = CUserInteraction::IdIgnore;
        QList<int> followed;
        CParameterArray::WriteOptions options;
        options.followAddress = [&](int a) { followed << a; };
        CParameterArray list = List(408, {5, 501});
        list.ReplaceByNumber(5, CParameter(5, QStringLiteral("CODE_BUSADDRESS"), 12));
        QCOMPARE(list.WriteAllToController(r.bus, r.ui, options), 0);
        QCOMPARE(r.ui.MessageIds(), QList<int>{120});
        QVERIFY(followed.isEmpty());
        QCOMPARE(r.Accesses(Access::Write).last(), (QPair<int, int>{1, 501}));

        // A list written to the SMS module does not move the controller's address.
        Rig s(Opts(408, true));
        s.bus.SetDeviceAddress(34);
        options.toController = false;
        QCOMPARE(list.WriteAllToController(s.bus, s.ui, options), 0);
        QVERIFY(followed.isEmpty());
        QCOMPARE(s.Accesses(Access::Write), (QList<QPair<int, int>>{{34, 5}, {34, 501}}));
        QCOMPARE(s.bus.GetDeviceAddress(), uint8_t(34));
    }

    void theAddressIsSetBeforeEveryElement()
    {
        Rig r;
        // Something run between two elements addresses another device.
        r.ui.cancelWhen = [&](int) {
            r.bus.SetDeviceAddress(34);
            return false;
        };
        CParameterArray list = List(408, {500, 501});
        QCOMPARE(list.ReadAllFromController(r.bus, r.ui), 0);
        QCOMPARE(list.WriteAllToController(r.bus, r.ui, {}), 0);
        for (const Access& a : r.model.Log()) QCOMPARE(a.address, uint8_t(1));
    }

    void cancelAndQuitEndTheTransferWithTheirOwnResult()
    {
        Rig r;
        r.ui.cancelWhen = [](int pumps) { return pumps >= 3; };
        CParameterArray list = List(408, {500, 501, 502, 503});
        QCOMPARE(list.WriteAllToController(r.bus, r.ui, {}), CParameterArray::TransferCancelled);
        QCOMPARE(r.WrittenNumbers(), QList<int>{500});
        QCOMPARE(r.ui.windowsClosed, 1);

        Rig q;
        q.ui.quitting = true;
        QCOMPARE(list.ReadAllFromController(q.bus, q.ui), CParameterArray::TransferCancelled);
        QVERIFY(q.model.Log().isEmpty());
    }

    void refusedWriteIsReportedNotTakenForSuccess()
    {
        Rig r;
        CDeviceModel::Faults f;
        f.refuse = {500};
        r.model.SetFaults(f);
        CParameterArray list = List(408, {500, 501});
        QCOMPARE(list.WriteAllToController(r.bus, r.ui, {}), int(CSWMBus::NotAcknowledged));
        QCOMPARE(r.ui.MessageIds(), QList<int>{120});
        QCOMPARE(r.ui.messages[0].args, (QStringList{"P500", "500"}));
        QVERIFY(!r.WrittenNumbers().contains(501));
    }

    void sensorListHoldsFittedInputsOnly()
    {
        CDeviceModel::Options o = Opts();
        o.sensors = {2, 0, 0, 0, 0, 0, 0, 5};
        Rig r(o);
        CParameterArray list;
        list.Add(CParameter(1, QString(), 0));
        list.BuildSensorList(r.bus);
        QCOMPARE(list.Count(), 3 + 2 * 24);
        QVERIFY(list.IsSensorCalibrationList());
        QCOMPARE(list[0].Name, QStringLiteral("CODE_SOFTWAREVERSION"));
        QCOMPARE(list[3].Name, QStringLiteral("CODE_SENSORPARA0ITEM0"));
        QCOMPARE(list[3].Number, uint16_t(10));
        CParameter p;
        QVERIFY(!list.FindByNumber(25, p));  // the type itself is not part of it
        QVERIFY(list.FindByNumber(976, p));
        QCOMPARE(p.Name, QStringLiteral("CODE_SENSORPARA7ITEM20"));
        QVERIFY(list.FindByNumber(1030, p));
        QCOMPARE(p.Name, QStringLiteral("CODE_SENSORPARA7_OHM7"));
        QVERIFY(!list.FindByNumber(30, p));

        CDeviceModel::Options bare = Opts();
        bare.sensors = {0, 0, 0, 0, 0, 0, 0, 0};
        Rig empty(bare);
        list.BuildSensorList(empty.bus);
        QCOMPARE(list.Count(), 3);
        QVERIFY(!list.ContainsSensorParameters());
        QVERIFY(!list.IsSensorCalibrationList());
    }
};

QTEST_GUILESS_MAIN(BulkTransferTest)
#include "BulkTransfer_test.moc"
