// SPDX-License-Identifier: GPL-3.0-or-later
// The settings-file commands against the device model: full backup and restore of every
// model, the compatibility checks, the SMS-module files, and what happens after an abort.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <memory>

#include "app/CKorvalisControlApp.h"
#include "base/ModelInfo.h"
#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "params/CSettingsCommands.h"
#include "support/CScriptedTransferUi.h"
#include "support/CScriptedUserInteraction.h"
#include "support/ParameterListSeeding.h"
#include "support/TestPaths.h"

namespace {
using Result = CSettingsCommands::Result;
using Access = CDeviceModel::Access;

QString ListFolder()
{
    return TestPaths::SourceDir() + QStringLiteral("/data/paralists");
}

CDeviceModel::Options Opts(int product = 4, int firmware = 408, uint32_t serial = 123456)
{
    CDeviceModel::Options o;
    o.productCode = product;
    o.firmware = firmware;
    o.serial = serial;
    return o;
}

// A controller (and maybe an SMS module) that holds its model's shipped defaults.
struct Rig {
    explicit Rig(const CDeviceModel::Options& o = Opts()) : model(o)
    {
        CParameterArray defaults;
        if (defaults.LoadParameterList(ListFolder(), o.productCode, o.firmware) == CParameterArray::FileResult::Ok)
            SeedFromList(model.Controller(), defaults);
        if (model.SmsModule() && defaults.LoadParameterList(ListFolder(), ModelInfo::SmsModuleProductCode,
                                                            o.smsFirmware) == CParameterArray::FileResult::Ok)
            SeedFromList(*model.SmsModule(), defaults);
        app.SetUserInteraction(&messages);
        app.SetFramePause(0);
        app.listFolder = ListFolder();
        app.SetChannelFactory([this](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        connection.replyTimeout = 100;
        connection.smsModule = o.sms;
        commands.invalidatePages = [this] { ++invalidated; };
    }
    bool Connect()
    {
        const bool ok = app.Connect(&connection, false);
        model.ClearLog();
        return ok;
    }
    QList<int> Written() const
    {
        QList<int> out;
        for (const Access& a : model.Log())
            if (a.kind != Access::Read) out << a.number;
        return out;
    }

    CDeviceModel model;
    CScriptedUserInteraction messages;
    CKorvalisControlApp app;
    CConnection connection;
    CScriptedTransferUi ui;
    CSettingsCommands commands{app, ui};
    int invalidated = 0;
};

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Gives every configuration parameter a value of its own, so a restore that mixes two up or
// misses one shows.
void Scramble(CBusDevice& device, const CParameterArray& list, int salt)
{
    for (const CParameter& p : list) {
        if (p.Number == 0 || p.Number == 2 || p.Number == 5 || p.Number == 6) continue;
        if (p.Kind == CParameter::TextKind)
            device.SetText(p.Number, QByteArray("T") + QByteArray::number(p.Number + salt) + "\"\r\n");
        else
            device.SetValue(p.Number, (p.Number * 7 + salt) * (p.Number % 3 == 0 ? -1 : 1));
    }
}
}  // namespace

class CSettingsCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English))); }

    void fullBackupAndRestoreOfEveryModel_data()
    {
        QTest::addColumn<int>("product");
        QTest::addColumn<int>("firmware");
        int count = 0;
        const ModelInfo* rows = ModelInfo::Rows(count);
        for (int i = 0; i < count; ++i)
            for (int firmware = 400; firmware <= 408; ++firmware)
                QTest::addRow("%s %d", rows[i].displayName, firmware) << int(rows[i].productCode) << firmware;
    }

    void fullBackupAndRestoreOfEveryModel()
    {
        QFETCH(int, product);
        QFETCH(int, firmware);
        QTemporaryDir dir;
        CParameterArray list;
        QCOMPARE(list.LoadParameterList(ListFolder(), product, firmware), CParameterArray::FileResult::Ok);

        Rig source(Opts(product, firmware, 3000000000u));
        Scramble(source.model.Controller(), list, 1);
        QVERIFY(source.Connect());
        const QString backup = dir.filePath(QStringLiteral("backup.par"));
        QCOMPARE(source.commands.SaveSettings(backup), Result::Done);
        QCOMPARE(source.ui.MessageIds(), QList<int>{174});
        for (const Access& a : source.model.Log()) QCOMPARE(a.kind, Access::Read);  // saving never writes

        Rig target(Opts(product, firmware, 3000000000u));
        Scramble(target.model.Controller(), list, 2);
        QVERIFY(target.Connect());
        QCOMPARE(target.commands.LoadSettings(backup), Result::Done);
        QCOMPARE(target.ui.MessageIds(), QList<int>{174});
        QCOMPARE(target.invalidated, 1);
        for (const CParameter& p : list) {
            const CBusDevice& a = source.model.Controller();
            const CBusDevice& b = target.model.Controller();
            QVERIFY2(a.Value(p.Number) == b.Value(p.Number) && a.Text(p.Number) == b.Text(p.Number),
                     qPrintable(p.Name));
        }
        // The restored controller saves the very same file.
        const QString again = dir.filePath(QStringLiteral("again.par"));
        QCOMPARE(target.commands.SaveSettings(again), Result::Done);
        QCOMPARE(FileBytes(again), FileBytes(backup));
        QVERIFY(FileBytes(backup).startsWith("0, \"CODE_SOFTWAREVERSION\", " + QByteArray::number(firmware) + "\r\n"));
    }

    void saveNeedsItsParameterList()
    {
        Rig r(Opts(4, 408));
        QVERIFY(r.Connect());
        r.app.listFolder = QStringLiteral("/nonexistent/lists");
        QCOMPARE(r.commands.SaveSettings(QStringLiteral("/tmp/never-written.par")), Result::Failed);
        QCOMPARE(r.ui.MessageIds(), QList<int>{110});
        QCOMPARE(r.ui.messages[0].args, QStringList{"/nonexistent/lists/ParaList_V408_KorvalisD.def"});
        QVERIFY(r.model.Log().isEmpty());
    }

    void nothingIsSavedAfterAnAbortOrACancel()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.par"));
        Rig r;
        QVERIFY(r.Connect());
        CDeviceModel::Faults f;
        f.dropRate = 1.0;
        r.model.SetFaults(f);
        QCOMPARE(r.commands.SaveSettings(path), Result::Failed);
        QCOMPARE(r.ui.MessageIds(), (QList<int>{124, 173, 6101}));
        QVERIFY(!QFile::exists(path));

        r.model.SetFaults({});
        r.ui.messages.clear();
        r.ui.cancelWhen = [](int pumps) { return pumps == 10; };
        QCOMPARE(r.commands.SaveSettings(path), Result::Cancelled);
        QCOMPARE(r.ui.MessageIds(), QList<int>{6100});
        QVERIFY(!QFile::exists(path));
    }

    void ignoredParametersAreLeftOutOfTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.par"));
        Rig r;
        QVERIFY(r.Connect());
        r.ui.onFailure = [&](const CParameter&, int) {
            r.model.SetFaults({});
            return int(CUserInteraction::IdIgnore);
        };
        r.ui.cancelWhen = [&](int pumps) {
            // The read of element 13 (the display mask 771) gets no answer.
            if (pumps == 14) {
                CDeviceModel::Faults f;
                f.dropRate = 1.0;
                r.model.SetFaults(f);
            }
            return false;
        };
        QCOMPARE(r.commands.SaveSettings(path), Result::Done);
        QCOMPARE(r.ui.MessageIds(), (QList<int>{124, 174, 6103}));
        QCOMPARE(r.ui.messages[2].args, QStringList{"1"});
        CParameterArray saved;
        QCOMPARE(saved.LoadFromPath(path), CParameterArray::FileResult::Ok);
        CParameterArray list;
        list.LoadParameterList(ListFolder(), 4, 408);
        QCOMPARE(saved.Count(), list.Count() - 1);
        CParameter missing = list[13];
        CParameter p;
        QVERIFY(!saved.FindByNumber(missing.Number, p));
    }

    void sensorCalibrationFiles()
    {
        QTemporaryDir dir;
        CDeviceModel::Options bare = Opts();
        bare.sensors = {0, 0, 0, 0, 0, 0, 0, 0};
        Rig none(bare);
        QVERIFY(none.Connect());
        QCOMPARE(none.commands.SaveSensorCalibration(), Result::Cancelled);  // the dialog was cancelled
        QCOMPARE(none.ui.lastDefaultName, Tr(186));
        const QString empty = dir.filePath(QStringLiteral("none.par"));
        QCOMPARE(none.commands.SaveSensorCalibration(empty), Result::Done);
        QCOMPARE(FileBytes(empty), QByteArray("0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 4\r\n"
                                              "6, \"CODE_SERIALNUMBER\", 123456\r\n"));

        // Another controller's calibration: message 176; OK leaves the calibration values out.
        Rig a(Opts(4, 408, 111));
        QVERIFY(a.Connect());
        const QString path = dir.filePath(QStringLiteral("cal.par"));
        QCOMPARE(a.commands.SaveSensorCalibration(path), Result::Done);
        Rig b(Opts(4, 408, 222));
        QVERIFY(b.Connect());
        b.ui.answers[176] = CUserInteraction::IdCancel;
        QCOMPARE(b.commands.LoadSettings(path), Result::Cancelled);
        QVERIFY(b.Written().isEmpty());
        b.ui.answers[176] = CUserInteraction::IdOk;
        b.model.Controller().SetValue(14, 99);
        QCOMPARE(b.commands.LoadSettings(path), Result::Done);
        const QList<int> written = b.Written();
        for (int i = 0; i < 4; ++i) {
            for (int n = 20 * i + 10; n <= 20 * i + 13; ++n) QVERIFY(!written.contains(n));
            QVERIFY(written.contains(20 * i + 14));
        }
        QCOMPARE(b.model.Controller().Value(14), a.model.Controller().Value(14));
    }

    void compatibilityChecks_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<int>>("messages");
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("result");
        const QByteArray v = "0, \"CODE_SOFTWAREVERSION\", 408\r\n";
        const QByteArray d = "2, \"CODE_PRODUCTID\", 4\r\n";
        const QByteArray s = "6, \"CODE_SERIALNUMBER\", 123456\r\n";
        const QByteArray x = "500, \"TIMER\", 3\r\n";
        QTest::newRow("no version") << d + x << 0 << QList<int>{118} << false << int(Result::Failed);
        QTest::newRow("other version, no")
            << "0, \"CODE_SOFTWAREVERSION\", 407\r\n" + d + x << int(CUserInteraction::IdNo) << QList<int>{119} << false
            << int(Result::Cancelled);
        QTest::newRow("other version, yes")
            << "0, \"CODE_SOFTWAREVERSION\", 407\r\n" + d + x << int(CUserInteraction::IdYes)
            << QList<int>{119, 471, 174} << true << int(Result::Done);
        QTest::newRow("no product") << v + x << 0 << QList<int>{122} << false << int(Result::Failed);
        QTest::newRow("model A") << v + "2, \"CODE_PRODUCTID\", 2\r\n" + x << 0 << QList<int>{121} << false
                                 << int(Result::Failed);
        QTest::newRow("model B, no") << v + "2, \"CODE_PRODUCTID\", 3\r\n" + x << int(CUserInteraction::IdNo)
                                     << QList<int>{324} << false << int(Result::Cancelled);
        QTest::newRow("model B, yes") << v + "2, \"CODE_PRODUCTID\", 3\r\n" + x << int(CUserInteraction::IdYes)
                                      << QList<int>{324, 174} << true << int(Result::Done);
        QTest::newRow("sensors without serial") << v + d + "30, \"S\", 1\r\n"
                                                << 0 << QList<int>{175} << false << int(Result::Failed);
        QTest::newRow("sensors, same serial") << v + d + s + "30, \"S\", 1\r\n"
                                              << 0 << QList<int>{174} << true << int(Result::Done);
        QTest::newRow("unparsable") << v + d + "garbage\r\n" << 0 << QList<int>{171} << false << int(Result::Failed);
    }

    void compatibilityChecks()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, answer);
        QFETCH(QList<int>, messages);
        QFETCH(bool, written);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.par"));
        WriteFile(path, file);
        Rig r(Opts(4, 408));
        QVERIFY(r.Connect());
        for (int id : {119, 324}) r.ui.answers[id] = answer;
        QCOMPARE(int(r.commands.LoadSettings(path)), result);
        QCOMPARE(r.ui.MessageIds(), messages);
        QCOMPARE(!r.Written().isEmpty(), written);
    }

    void smsModuleFiles()
    {
        QTemporaryDir dir;
        CDeviceModel::Options o = Opts();
        o.sms = true;
        o.smsFirmware = 403;
        Rig r(o);
        QVERIFY(r.Connect());
        QVERIFY(CSettingsCommands::CanUseSmsModule(r.app));
        r.model.SmsModule()->SetText(100, "+49123");
        r.model.SmsModule()->SetText(110, "Alarm \"1\"");
        const QString path = dir.filePath(QStringLiteral("sms.par"));
        r.ui.saveFileName = path;
        QCOMPARE(r.commands.SaveSmsModuleSettings(), Result::Done);
        QCOMPARE(r.ui.lastDefaultName, Tr(374));
        for (const Access& a : r.model.Log())
            if (a.number != 0 || a.kind != Access::Read) QCOMPARE(a.address, uint8_t(34));

        // Written back into a fresh module, every entry comes back; the controller is untouched.
        Rig t(o);
        QVERIFY(t.Connect());
        QCOMPARE(t.commands.LoadSmsModuleSettings(path), Result::Done);
        QCOMPARE(t.model.SmsModule()->Text(110), QByteArray("Alarm \"1\""));
        QCOMPARE(t.model.SmsModule()->Text(100), QByteArray("+49123"));
        for (const Access& a : t.model.Log()) QCOMPARE(a.address, uint8_t(34));
        QCOMPARE(t.invalidated, 0);

        // A controller's file is refused; a file without a product code is asked about.
        t.model.ClearLog();
        t.ui.messages.clear();
        const QString controllerFile = dir.filePath(QStringLiteral("controller.par"));
        WriteFile(controllerFile,
                  "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 4\r\n100, \"X\", \"\"\r\n");
        QCOMPARE(t.commands.LoadSmsModuleSettings(controllerFile), Result::Failed);
        QCOMPARE(t.ui.MessageIds(), QList<int>{6105});
        const QString anonymous = dir.filePath(QStringLiteral("anonymous.par"));
        WriteFile(anonymous, "0, \"CODE_SOFTWAREVERSION\", 403\r\n100, \"X\", \"+1\"\r\n");
        t.ui.answers[6104] = CUserInteraction::IdNo;
        QCOMPARE(t.commands.LoadSmsModuleSettings(anonymous), Result::Cancelled);
        QVERIFY(t.Written().isEmpty());
        t.ui.answers[6104] = CUserInteraction::IdYes;
        QCOMPARE(t.commands.LoadSmsModuleSettings(anonymous), Result::Done);
        QCOMPARE(t.Written(), QList<int>{100});
        // Without parameter 0 nothing can be written.
        t.ui.messages.clear();
        WriteFile(anonymous, "2, \"CODE_PRODUCTID\", 10\r\n100, \"X\", \"+1\"\r\n");
        QCOMPARE(t.commands.LoadSmsModuleSettings(anonymous), Result::Failed);
        QCOMPARE(t.ui.MessageIds(), QList<int>{172});
    }

    void fullSettingsFileIsNotACalibrationFile() {
        // A full backup holds the sensor blocks too, yet it is a settings file: its default
        // name and the firmware messages; its calibration values still belong to the
        // controller that measured them.
        QTemporaryDir dir;
        Rig a(Opts(4, 407, 111));
        QVERIFY(a.Connect());
        a.ui.saveFileName = dir.filePath(QStringLiteral("full.par"));
        QCOMPARE(a.commands.SaveSettings(), Result::Done);
        QCOMPARE(a.ui.lastDefaultName, Tr(186));
        Rig b(Opts(4, 408, 222));
        QVERIFY(b.Connect());
        b.ui.answers[119] = CUserInteraction::IdYes;
        b.ui.answers[176] = CUserInteraction::IdOk;
        QCOMPARE(b.commands.LoadSettings(a.ui.saveFileName), Result::Done);
        QCOMPARE(b.ui.MessageIds(), (QList<int>{119, 176, 471, 174}));
        QVERIFY(!b.Written().contains(10));
        QVERIFY(b.Written().contains(15));
    }

    void fullSmsModuleListRoundTrip() {
        // From a module of 4.00 into one of 4.08: the numbers that the controller's firmware
        // rules leave out (760, 790, ...) are recipients here and must arrive.
        QTemporaryDir dir;
        CParameterArray list;
        QCOMPARE(list.LoadParameterList(ListFolder(), ModelInfo::SmsModuleProductCode, 400),
                 CParameterArray::FileResult::Ok);
        CDeviceModel::Options o = Opts();
        o.sms = true;
        o.smsFirmware = 400;
        Rig source(o);
        Scramble(*source.model.SmsModule(), list, 1);
        QVERIFY(source.Connect());
        const QString path = dir.filePath(QStringLiteral("sms.par"));
        QCOMPARE(source.commands.SaveSmsModuleSettings(path), Result::Done);

        o.smsFirmware = 408;
        Rig target(o);
        Scramble(*target.model.SmsModule(), list, 2);
        QVERIFY(target.Connect());
        QCOMPARE(target.commands.LoadSmsModuleSettings(path), Result::Done);
        QCOMPARE(target.ui.MessageIds(), QList<int>{174});
        QVERIFY(target.Written().contains(760) && target.Written().contains(790));
        for (const CParameter& p : list) {
            const CBusDevice& a = *source.model.SmsModule();
            const CBusDevice& b = *target.model.SmsModule();
            if (p.Number == 0) continue;
            QVERIFY2(a.Value(p.Number) == b.Value(p.Number) && a.Text(p.Number) == b.Text(p.Number),
                     qPrintable(p.Name));
        }
    }

    void restoreFollowsTheControllersNewAddress()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.par"));
        WriteFile(path,
                  "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 4\r\n"
                  "5, \"CODE_BUSADDRESS\", 12\r\n500, \"T\", 2\r\n");
        Rig r;
        QList<int> followed;
        r.commands.onBusAddressFollowed = [&](int a) { followed << a; };
        QVERIFY(r.Connect());
        QCOMPARE(r.commands.LoadSettings(path), Result::Done);
        QCOMPARE(followed, QList<int>{12});
        QCOMPARE(r.app.currentConnection.deviceAddress, 12u);
        QCOMPARE(r.model.Log().last().address, uint8_t(12));
        // Single-parameter access goes to the new address too.
        QCOMPARE(r.app.ReadParameter(500), uint16_t(0));
        QCOMPARE(r.app.GetLastValue(), 2.0);
    }

    void writeCancelIsNotReportedAsSuccess()
    {
        QTemporaryDir dir;
        CParameterArray list;
        list.LoadParameterList(ListFolder(), 4, 408);
        list.ReplaceByNumber(6, CParameter(6, QStringLiteral("CODE_SERIALNUMBER"), 123456));
        const QString path = dir.filePath(QStringLiteral("a.par"));
        QCOMPARE(list.SaveToPath(path), CParameterArray::FileResult::Ok);
        Rig r;
        QVERIFY(r.Connect());
        r.ui.cancelWhen = [](int pumps) { return pumps == 20; };
        QCOMPARE(r.commands.LoadSettings(path), Result::Cancelled);
        QCOMPARE(r.ui.MessageIds(), QList<int>{6102});
        QCOMPARE(r.invalidated, 1);  // what was written must be read again
    }

    void simulationModeTransfersNothing()
    {
        Rig r;
        r.app.ToggleSimulation();
        QVERIFY(r.Connect());
        QCOMPARE(r.commands.SaveSettings(QStringLiteral("/tmp/x.par")), Result::NotRun);
        QCOMPARE(r.commands.SaveSensorCalibration(QStringLiteral("/tmp/x.par")), Result::NotRun);
        QVERIFY(r.ui.messages.isEmpty());
        QVERIFY(r.model.Log().isEmpty());
    }
};

QTEST_GUILESS_MAIN(CSettingsCommandsTest)
#include "CSettingsCommands_test.moc"
