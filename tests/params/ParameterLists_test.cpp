// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped parameter-list files: current with their generator, readable, and holding
// what each model and firmware version has.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QtTest/QtTest>

#include "base/ModelInfo.h"
#include "base/SensorParameters.h"
#include "device/CControllerDefaults.h"
#include "params/CParameterArray.h"
#include "support/TestPaths.h"

namespace {
QString SourceLists()
{
    return TestPaths::SourceDir() + QStringLiteral("/data/paralists");
}

QSet<int> Numbers(const CParameterArray& list)
{
    QSet<int> numbers;
    for (const CParameter& p : list) numbers.insert(p.Number);
    return numbers;
}

int CountIn(const QSet<int>& numbers, int from, int to)
{
    int n = 0;
    for (int i = from; i <= to; ++i) n += numbers.contains(i) ? 1 : 0;
    return n;
}
}  // namespace

class ParameterListsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void generatedFilesAreCurrent()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty()) QSKIP("python3 is not installed; the generator cannot be checked");
        QProcess p;
        p.start(python, {SourceLists() + QStringLiteral("/generate.py"), QStringLiteral("--check")});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, (p.readAllStandardOutput() + p.readAllStandardError()).constData());
    }

    void everyModelAndVersionHasItsList_data()
    {
        QTest::addColumn<int>("productCode");
        QTest::addColumn<int>("version");
        int count = 0;
        const ModelInfo* rows = ModelInfo::Rows(count);
        for (int version = 400; version <= 408; ++version) {
            for (int r = 0; r < count; ++r)
                QTest::addRow("%s %d", rows[r].displayName, version) << int(rows[r].productCode) << version;
            QTest::addRow("SMS module %d", version) << ModelInfo::SmsModuleProductCode << version;
        }
    }

    void everyModelAndVersionHasItsList()
    {
        QFETCH(int, productCode);
        QFETCH(int, version);
        CParameterArray list;
        QCOMPARE(list.LoadParameterList(SourceLists(), productCode, version), CParameterArray::FileResult::Ok);

        // Identification first, with the values the file name promises.
        QVERIFY(list.Count() > 3);
        QCOMPARE(list[0].Number, uint16_t(0));
        QCOMPARE(list[0].Name, QStringLiteral("CODE_SOFTWAREVERSION"));
        QCOMPARE(list[0].Value, double(version));
        QCOMPARE(list[1].Number, uint16_t(2));
        QCOMPARE(list[1].Name, QStringLiteral("CODE_PRODUCTID"));
        QCOMPARE(list[1].Value, double(productCode));
        QCOMPARE(list[2].Number, uint16_t(6));
        QCOMPARE(list[2].Name, QStringLiteral("CODE_SERIALNUMBER"));
        QCOMPARE(list.IsSmsModuleList(), productCode == ModelInfo::SmsModuleProductCode);

        const QSet<int> numbers = Numbers(list);
        QCOMPARE(numbers.size(), list.Count());  // no number twice

        if (productCode == ModelInfo::SmsModuleProductCode) {
            QCOMPARE(CountIn(numbers, 100, 999), 30 * 8);
            for (int n : {9, 2050, 2056, 2057, 2060}) QVERIFY2(!numbers.contains(n), qPrintable(QString::number(n)));
            CParameter phone;
            QVERIFY(list.FindByNumber(90, phone));
            QCOMPARE(phone.Kind, int32_t(CParameter::TextKind));
            return;
        }

        // Live values, commands, test modes and the password are not configuration.
        for (int n : {8, 170, 171, 489, 498, 1000, 1032, 1058, 1070, 1080, 1091, 1099, 1101, 1160, 1166, 1188})
            QVERIFY2(!numbers.contains(n), qPrintable(QString::number(n)));

        const ModelInfo* model = ModelInfo::Find(productCode);
        QVERIFY(model);
        // One block per channel, timer, pump and interface the model has, and no more.
        int channels = 0;
        for (int k = 0; k < 8; ++k)
            channels += numbers.contains(181 + 32 * k) && numbers.contains(207 + 32 * k) ? 1 : 0;
        QCOMPARE(channels, int(model->illuminationChannels));
        QCOMPARE(CountIn(numbers, 1033, 1047), int(model->illuminationChannels));
        for (int k = 0; k < 8; ++k) QCOMPARE(numbers.contains(500 + 20 * k), k < model->timers);
        QCOMPARE(CountIn(numbers, 828, 851), 3 * model->dosingPumps);
        QCOMPARE(CountIn(numbers, 804, 813), int(model->interfaces110));
        int sockets = CountIn(numbers, 684, 699) + CountIn(numbers, 820, 827);
        QCOMPARE(sockets, int(model->switchPlugFunctions));
        int sources = 0;
        for (int k = 0; k < 10; ++k) sources += numbers.contains(k < 8 ? 662 + 3 * k : 856 + 3 * (k - 8)) ? 1 : 0;
        QCOMPARE(sources, int(model->interfaces110));
        // Every sensor input's block, without the type (fixed by the hardware).
        for (int i = 0; i < 8; ++i) {
            QVERIFY(numbers.contains(20 * i + 10) && numbers.contains(20 * i + 29) && numbers.contains(951 + 4 * i));
            QVERIFY(!numbers.contains(20 * i + 25));
            QVERIFY(numbers.contains(1002 + 4 * i));
            QVERIFY(numbers.contains(1228 + i));
            // The emulator's twin of the generator's sensor table gives the same factory block.
            const int type = i < 4 ? model->sensorTypes[i] : 0;
            for (const auto& [k, value] : CControllerDefaults::SensorBlock(type)) {
                const int n = SensorParameters::Number(i, k);
                CParameter p;
                QVERIFY2(list.FindByNumber(uint16_t(n), p) && p.Value == value,
                         qPrintable(QStringLiteral("input %1 type %2: %3 is %4, twin %5").arg(i).arg(type).arg(n).arg(p.Value).arg(value)));
            }
        }
        // The sensor blocks do not make a full list a sensor-calibration list.
        QVERIFY(list.ContainsSensorParameters());
        QVERIFY(!list.IsSensorCalibrationList());

        // Firmware and model gates of the pages.
        QCOMPARE(numbers.contains(436), version >= 402);
        QCOMPARE(numbers.contains(715), version >= 405);
        QCOMPARE(numbers.contains(180), version >= 407 && model->illuminationChannels > 0);
        QCOMPARE(numbers.contains(872), version >= 407);
        QCOMPARE(numbers.contains(752), version >= 407);
        QCOMPARE(numbers.contains(723), version >= 408);
        const bool bdg = productCode == 3 || productCode == 4 || productCode == 8;
        QCOMPARE(numbers.contains(701), bdg);
        QCOMPARE(numbers.contains(760), model->levelChannels > 0);
        if (model->levelChannels > 0 && version >= 408) QCOMPARE(CountIn(numbers, 760, 769), 3 * model->levelChannels);
        QCOMPARE(numbers.contains(768), model->levelChannels >= 3);

        // Parameter 5 comes last, so a restore follows the address change only at the end.
        QCOMPARE(list[list.Count() - 1].Number, uint16_t(5));
    }

    void buildCopiesTheLists()
    {
        const QDir source(SourceLists());
        const QStringList files = source.entryList({QStringLiteral("ParaList_V*.def")}, QDir::Files);
        QCOMPARE(files.size(), 9 * 8);
        for (const QString& name : files) {
            QFile a(source.filePath(name));
            QFile b(TestPaths::ShareDir() + QStringLiteral("/paralists/") + name);
            QVERIFY(a.open(QIODevice::ReadOnly));
            QVERIFY2(b.open(QIODevice::ReadOnly), qPrintable(b.fileName()));
            QCOMPARE(b.readAll(), a.readAll());
        }
    }
};

QTEST_GUILESS_MAIN(ParameterListsTest)
#include "ParameterLists_test.moc"
