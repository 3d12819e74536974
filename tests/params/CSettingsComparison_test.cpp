// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a file through the comparison, against the device model: exactly the checked
// differences are written, in the file's order and under the firmware-version rules;
// nothing on a cancel; nothing into a controller that already holds the file. Also the two-
// file comparison and the display units.
#include <QtTest/QtTest>

#include "app/CKorvalisControlApp.h"
#include "base/CCsvField.h"
#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "params/CParameterMeaning.h"
#include "params/CSettingsCommands.h"
#include "support/CScriptedTransferUi.h"
#include "support/CScriptedUserInteraction.h"
#include "support/ParameterListSeeding.h"
#include "support/TestPaths.h"

namespace {
using Result = CSettingsCommands::Result;
using Choice = CSettingsCommands::Choice;
using State = CSettingsComparison::State;
using Writes = QVector<QPair<int, int64_t>>;

QString ListFolder() {
    return TestPaths::SourceDir() + QStringLiteral("/data/paralists");
}

// A Korvalis G (pH on input 1) at firmware 4.08 holding its shipped defaults.
struct Rig {
    Rig() : model(Options()) {
        CParameterArray defaults;
        defaults.LoadParameterList(ListFolder(), 8, 408);
        SeedFromList(model.Controller(), defaults);
        app.SetUserInteraction(&messages);
        app.SetFramePause(0);
        app.listFolder = ListFolder();
        app.SetChannelFactory(
            [this](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        connection.replyTimeout = 100;
    }
    static CDeviceModel::Options Options() {
        CDeviceModel::Options o;
        o.productCode = 8;
        o.firmware = 408;
        o.serial = 4711;
        return o;
    }
    bool Connect() {
        const bool ok = app.Connect(&connection, false);
        model.ClearLog();
        return ok;
    }
    // The file the tests load: the defaults as a backup of this controller would hold them.
    static CParameterArray Backup(int version) {
        CParameterArray list;
        list.LoadParameterList(ListFolder(), 8, 408);
        CParameter p = list[list.IndexOfNumber(0)];
        p.Value = version;
        list.ReplaceByNumber(0, p);
        p = list[list.IndexOfNumber(6)];
        p.Value = 4711;
        list.ReplaceByNumber(6, p);
        return list;
    }
    static void Set(CParameterArray& list, uint16_t number, double value) {
        CParameter p = list[list.IndexOfNumber(number)];
        p.Value = value;
        list.ReplaceByNumber(number, p);
    }

    CDeviceModel model;
    CScriptedUserInteraction messages;
    CKorvalisControlApp app;
    CConnection connection;
    CScriptedTransferUi ui;
    CSettingsCommands commands{app, ui};
};

QString Save(const QTemporaryDir& dir, const CParameterArray& list,
            const QString& name = QStringLiteral("file.par")) {
    const QString path = dir.filePath(name);
    return list.SaveToPath(path) == CParameterArray::FileResult::Ok ? path : QString();
}
}  // namespace

class CSettingsComparisonTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English)));
        QLocale::setDefault(QLocale::c());
    }

    void writesExactlyTheCheckedDifferences_data() {
        QTest::addColumn<int>("fileVersion");
        QTest::addColumn<Writes>("changes");  // file values that differ from the controller
        QTest::addColumn<QList<int>>("unchecked");
        QTest::addColumn<Writes>("expected");  // what the controller receives, in order
        QTest::addColumn<QList<int>>("leftOut");

        // The list's order (General, illumination, timers, sensors, ..., logic), not the changes'
        // order.
        const Writes some{{912, 7}, {182, 500}, {500, 0}, {172, 0}, {1228, 0}};
        QTest::newRow("same firmware, all checked")
            << 408 << some << QList<int>{} << Writes{{172, 0}, {182, 500}, {500, 0}, {912, 7}}
            << QList<int>{};
        QTest::newRow("same firmware, two unchecked")
            << 408 << some << QList<int>{182, 912} << Writes{{172, 0}, {500, 0}} << QList<int>{};
        // 4.07 into 4.08: the level block 760.. changed meaning and is left out, shown as such.
        QTest::newRow("4.07 file, level left out")
            << 407 << Writes{{760, 3}, {182, 500}} << QList<int>{} << Writes{{182, 500}}
            << QList<int>{760, 761, 762};
        // 3.99 into 4.08: pH values of the pH input are sent ten times larger; a setpoint in
        // tenths that equals the controller's hundredths is no difference at all.
        QTest::newRow("3.99 file, pH rescaled")
            << 399 << Writes{{15, 82}, {11, 40}, {18, -2}, {10, 71}, {182, 500}} << QList<int>{}
            << Writes{{182, 500}, {10, 710}} << QList<int>{495, 713, 735, 790, 791, 760};
    }

    void writesExactlyTheCheckedDifferences() {
        QFETCH(int, fileVersion);
        QFETCH(Writes, changes);
        QFETCH(QList<int>, unchecked);
        QFETCH(Writes, expected);
        QFETCH(QList<int>, leftOut);
        QTemporaryDir dir;
        Rig r;
        QVERIFY(r.Connect());
        CParameterArray file = Rig::Backup(fileVersion);
        for (const auto& [number, value] : changes) {
            if (number == 1228)
                file.ReplaceByNumber(
                    1228, CParameter::MakeText(1228, file[file.IndexOfNumber(1228)].Name, "Tank"));
            else
                Rig::Set(file, static_cast<uint16_t>(number), double(value));
        }
        const int version = r.model.Controller().Value(15);
        QCOMPARE(version, 820);  // the pH setpoint the 3.99 case relies on
        CSettingsComparison seen;
        r.commands.chooseWrites = [&](CSettingsComparison& c) {
            for (CSettingsComparison::Row& row : c.Rows())
                if (unchecked.contains(row.Number())) row.checked = false;
            seen = c;
            return Choice::WriteChecked;
        };
        QVERIFY2(r.commands.LoadSettings(Save(dir, file)) == Result::Done,
                 qPrintable(QString::number(r.ui.MessageIds().value(0))));

        Writes numeric;
        QList<int> texts;
        for (const CDeviceModel::Access& a : r.model.Log()) {
            if (a.kind == CDeviceModel::Access::Write) numeric.append({a.number, a.value});
            if (a.kind == CDeviceModel::Access::WriteText) texts.append(a.number);
        }
        QCOMPARE(numeric, expected);
        QCOMPARE(texts, unchecked.contains(1228) || !changes.contains({1228, 0})
                            ? QList<int>{}
                            : QList<int>{1228});
        for (int n : leftOut) {
            const auto row =
                std::find_if(seen.Rows().cbegin(), seen.Rows().cend(),
                             [n](const CSettingsComparison::Row& x) { return x.Number() == n; });
            QVERIFY2(row != seen.Rows().cend() && row->state == State::LeftOut,
                     qPrintable(QString::number(n)));
        }
        // Nothing left out was read either.
        for (const CDeviceModel::Access& a : r.model.Log())
            QVERIFY2(!(a.kind == CDeviceModel::Access::Read && leftOut.contains(a.number)),
                     qPrintable(QString::number(a.number)));
        QCOMPARE(r.commands.LastLoad().written, int(expected.size() + texts.size()));
        QCOMPARE(r.commands.LastLoad().notChosen, int(unchecked.size()));
    }

    void cancelAndAnEqualControllerWriteNothing() {
        QTemporaryDir dir;
        Rig r;
        QVERIFY(r.Connect());
        CParameterArray file = Rig::Backup(408);
        Rig::Set(file, 182, 500);
        const QString path = Save(dir, file);

        // Cancelled during the read: no question reaches the user, nothing is written.
        bool asked = false;
        r.commands.chooseWrites = [&](CSettingsComparison&) {
            asked = true;
            return Choice::WriteChecked;
        };
        r.ui.cancelWhen = [](int pumps) { return pumps == 20; };
        QCOMPARE(r.commands.LoadSettings(path), Result::Cancelled);
        QVERIFY(!asked);
        QCOMPARE(r.ui.MessageIds(), QList<int>{51020});
        QVERIFY(r.model.Writes().isEmpty());

        // Cancelled in the view.
        r.ui.cancelWhen = nullptr;
        r.commands.chooseWrites = [](CSettingsComparison&) { return Choice::Cancel; };
        QCOMPARE(r.commands.LoadSettings(path), Result::Cancelled);
        QVERIFY(r.model.Writes().isEmpty());

        // A controller that already holds the file: one read of each parameter, no write.
        r.ui.messages.clear();
        r.model.ClearLog();
        CSettingsComparison compared;
        r.commands.chooseWrites = [&](CSettingsComparison& c) {
            compared = c;
            return Choice::WriteChecked;
        };
        QCOMPARE(r.commands.LoadSettings(Save(dir, Rig::Backup(408), QStringLiteral("equal.par"))),
                 Result::Done);
        QVERIFY(compared.IsEqual());
        QCOMPARE(compared.Writable(), 0);
        QCOMPARE(r.ui.MessageIds(), QList<int>{51023});
        QVERIFY(r.model.Writes().isEmpty());
        QCOMPARE(r.model.Log().size(), file.Count());

        // Write everything still sends the whole file.
        r.commands.chooseWrites = [](CSettingsComparison&) { return Choice::WriteAll; };
        QCOMPARE(r.commands.LoadSettings(path), Result::Done);
        QVERIFY(r.model.Writes().size() > 400);
        QCOMPARE(r.model.Controller().Value(182), 500);
    }

    void twoFilesAndTheirReport() {
        CParameterArray a = Rig::Backup(408);
        CParameterArray b = Rig::Backup(407);
        Rig::Set(b, 182, 510);
        Rig::Set(b, 16, 30);
        b.RemoveAt(b.IndexOfNumber(912));
        b.Add(CParameter(999, QStringLiteral("NEW"), 1));
        CSettingsComparison::Context context;
        context.againstController = false;
        context.sensorTypes = {2, 1, 5, 3, 0, 0, 0, 0};
        const CSettingsComparison c = CSettingsComparison::Compare(a, b, context);
        // Two files: no version rules, nothing to write, every kind of difference named.
        QCOMPARE(c.Writable(), 0);
        QCOMPARE(c.Count(State::LeftOut), 0);
        QCOMPARE(c.Count(State::Differs), 2);
        QCOMPARE(c.Count(State::OnlyInFile), 1);
        QCOMPARE(c.Count(State::OnlyInReference), 1);
        QCOMPARE(c.Count(State::Identification), 3);  // the versions differ, and are shown
        QVERIFY(!c.IsEqual());

        const QByteArray csv = c.Report(CSettingsComparison::ReportFormat::Csv,
                                        QStringLiteral("a.par"), QStringLiteral("b.par"));
        const QList<QByteArray> lines = csv.split('\n');
        QCOMPARE(lines.size(),
                 1 + 1 + 2 + 2 + 1);  // header, the version, differences, only-ins, end
        QCOMPARE(lines[0],
                 QByteArray("\"Group\",\"Number\",\"Name\",\"State\",\"a.par\",\"b.par\"\r"));
        QVERIFY2(csv.contains("\"Illumination\",182,\"ILLU_P1_START - 0\",\"differs\",\"480 "
                              "(08:00)\",\"510 (08:30)\""),
                 csv.constData());
        QVERIFY(csv.contains(
            "\"Programmable logic\",912,\"LOGIC_INPUTS - 0\",\"only in the first file\""));
        // Device and file texts never become spreadsheet formulas; quotes only where needed
        // unless asked for (the history's CSV shares the rule).
        QCOMPARE(CCsvField::Text(QStringLiteral("=SUM(A1)")), QStringLiteral("'=SUM(A1)"));
        QCOMPARE(CCsvField::Text(QStringLiteral("-2.5")), QStringLiteral("-2.5"));
        QCOMPARE(CCsvField::Text(QStringLiteral("a,\"b\"")), QStringLiteral("\"a,\"\"b\"\"\""));
        QCOMPARE(CCsvField::Text(QStringLiteral("line\rend")), QStringLiteral("\"line\rend\""));
        QCOMPARE(CCsvField::Text(QStringLiteral("pH"), true), QStringLiteral("\"pH\""));
        // Control bytes of a device text are escaped, so a report line is never cut short.
        QCOMPARE(CSettingsComparison::RawText(CParameter::MakeText(1228, {}, QByteArray("A\0\n\\", 4))),
                 QStringLiteral("\"A\\x00\\x0a\\x5c\""));
    }

    void displayUnits_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("version");
        QTest::newRow("run point start") << 182 + 32 * 2 + 3 << 1200 << QString("20:00") << 408;
        QTest::newRow("run point level") << 184 << 50 << QString("50 %") << 408;
        QTest::newRow("run point ramp is raw") << 183 << 60 << QString("") << 408;
        QTest::newRow("timer point start") << 520 + 6 << 75 << QString("01:15") << 408;
        QTest::newRow("pump group time") << 867 << 3725 << QString("1:02:05") << 408;
        QTest::newRow("pH setpoint") << 15 << 820 << QString("8.20 pH") << 408;
        QTest::newRow("temperature setpoint, signed") << 35 << -15 << QString("-1.5 °C") << 408;
        QTest::newRow("no sensor on input 5") << 95 << 250 << QString("") << 408;
        QTest::newRow("operating time") << 1006 << 750 << QString("12.5 h") << 408;
        QTest::newRow("level time, 4.08 layout") << 765 << 600 << QString("0:10:00") << 408;
        QTest::newRow("the same number before 4.08") << 765 << 600 << QString("") << 407;
        QTest::newRow("level time before 4.08") << 764 << 90 << QString("0:01:30") << 407;
        QTest::newRow("a time of day out of range stays raw") << 496 << 1440 << QString("") << 408;
    }

    void displayUnits() {
        QFETCH(int, number);
        QFETCH(int, value);
        QFETCH(QString, shown);
        QFETCH(int, version);
        const std::array<uint8_t, 8> types{2, 1, 5, 3, 0, 0, 0, 0};
        QCOMPARE(
            CParameterMeaning::DisplayText(static_cast<uint16_t>(number), value, types, version),
            shown);
    }
};

QTEST_GUILESS_MAIN(CSettingsComparisonTest)
#include "CSettingsComparison_test.moc"
