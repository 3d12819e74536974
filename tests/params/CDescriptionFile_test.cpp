// SPDX-License-Identifier: GPL-3.0-or-later
// Description files: format, bounds, atomic replacement, and the four lists the application
// loads at connect and saves at disconnect.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/CKorvalisControlApp.h"
#include "base/ModelInfo.h"
#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "params/CDescriptionFile.h"
#include "params/CDescriptionLists.h"

namespace {
QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class CDescriptionFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsOtherPlatformFiles()
    {
        // CR LF and bare LF lines, Latin-1 letters, a short file and surplus lines.
        QByteArray bytes = "Tageslicht \xe9t\xe9\r\nMond, \"blau\"\nCO2\r\n";
        QBuffer buf(&bytes);
        buf.open(QIODevice::ReadOnly);
        const QStringList names = CDescriptionFile::ReadLines(buf, 5);
        QCOMPARE(names, (QStringList{QStringLiteral("Tageslicht \u00e9t\u00e9"), QStringLiteral("Mond, \"blau\""),
                                     QStringLiteral("CO2"), QString(), QString()}));

        buf.seek(0);
        QCOMPARE(CDescriptionFile::ReadLines(buf, 1), QStringList{QStringLiteral("Tageslicht \u00e9t\u00e9")});
        QCOMPARE(CDescriptionFile::ReadFile(QStringLiteral("/nonexistent/x.dat"), 3), (QStringList{{}, {}, {}}));
    }

    void longLinesAreBounded()
    {
        QByteArray bytes(100000, 'x');
        bytes += "\r\nnext\r\n";
        QBuffer buf(&bytes);
        buf.open(QIODevice::ReadOnly);
        const QStringList names = CDescriptionFile::ReadLines(buf, 2);
        QCOMPARE(names[0].size(), CDescriptionFile::kMaxLineBytes);
        QCOMPARE(names[1], QStringLiteral("next"));
    }

    void writesLatin1CrLfWithoutLineBreaks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("T.dat"));
        const QStringList names{QStringLiteral("Pumpe \u00fc"), QStringLiteral("two\r\nlines"),
                                QStringLiteral("a\nb\rc"), QString()};
        QVERIFY(CDescriptionFile::WriteFile(path, names));
        QCOMPARE(ReadAll(path), QByteArray("Pumpe \xfc\r\ntwo lines\r\na b c\r\n\r\n"));
        // Read back, the following names keep their lines.
        QCOMPARE(CDescriptionFile::ReadFile(path, 4),
                 (QStringList{QStringLiteral("Pumpe \u00fc"), QStringLiteral("two lines"), QStringLiteral("a b c"),
                              QString()}));
    }

    void nothingIsTouchedWhileDisconnected()
    {
        QTemporaryDir dir;
        CKorvalisControlApp app;
        app.dataFolder = dir.path();
        QCOMPARE(CDescriptionFile::Load(app, QStringLiteral("X.dat"), 2), (QStringList{{}, {}}));
        QVERIFY(!CDescriptionFile::Save(app, QStringLiteral("X.dat"), {QStringLiteral("a")}));
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    void simulatedControllerKeepsItsNames()
    {
        QTemporaryDir dir;
        CKorvalisControlApp app;
        app.dataFolder = dir.path();
        app.simulationMode = true;
        QVERIFY(app.Connect(nullptr, false));
        const ModelInfo& m = *app.Model();
        QCOMPARE(app.descriptionLists[CDescriptionLists::Illumination].size(), int(m.illuminationChannels));
        QCOMPARE(app.descriptionLists[CDescriptionLists::Timer].size(), int(m.timers));
        QCOMPARE(app.descriptionLists[CDescriptionLists::Level].size(), int(m.levelChannels));
        QCOMPARE(app.descriptionLists[CDescriptionLists::DigitalInput].size(), 4);
        app.descriptionLists[CDescriptionLists::Timer][1] = QStringLiteral("Futter");
        app.descriptionLists[CDescriptionLists::DigitalInput][3] = QStringLiteral("T\u00fcr");
        app.Disconnect();
        QVERIFY(app.descriptionLists[CDescriptionLists::Timer].isEmpty());

        // Stored under the simulated controller's serial number, one line per channel.
        const QString folder = dir.filePath(QStringLiteral("1005092007"));
        QByteArray expected;
        for (int i = 0; i < m.timers; ++i) expected += i == 1 ? "Futter\r\n" : "\r\n";
        QCOMPARE(ReadAll(folder + QStringLiteral("/TimerDescriptions.dat")), expected);
        QCOMPARE(ReadAll(folder + QStringLiteral("/DigitalInputDescriptions.dat")),
                 QByteArray("\r\n\r\n\r\nT\xfcr\r\n"));
        QVERIFY(QFile::exists(folder + QStringLiteral("/IlluminationDescriptions.dat")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/LevelDescriptions.dat")));

        QVERIFY(app.Connect(nullptr, false));
        QCOMPARE(app.descriptionLists[CDescriptionLists::Timer][1], QStringLiteral("Futter"));
        QCOMPARE(app.descriptionLists[CDescriptionLists::DigitalInput][3], QStringLiteral("T\u00fcr"));
        app.Disconnect();
    }

    void listsSurviveReconnectAndStaySeparatePerController()
    {
        QTemporaryDir dir;
        CDeviceModel::Options o;
        o.productCode = 4;       // three level channels
        o.serial = 4000000001u;  // above the signed range: the folder name is negative
        CDeviceModel first(o);
        o.productCode = 2;  // no level channels
        o.serial = 77;
        CDeviceModel second(o);
        CDeviceModel* device = &first;

        CKorvalisControlApp app;
        app.dataFolder = dir.path();
        app.SetFramePause(0);
        app.SetChannelFactory([&](const CConnection&) { return std::make_unique<CMemoryChannel>(*device); });
        CConnection conn;
        conn.replyTimeout = 100;

        QVERIFY(app.Connect(&conn, false));
        QCOMPARE(app.descriptionLists[CDescriptionLists::Level], (QStringList{{}, {}, {}}));
        app.descriptionLists[CDescriptionLists::Level][2] = QStringLiteral("Sump");
        app.descriptionLists[CDescriptionLists::Illumination][0] = QStringLiteral("Blue");

        // Another controller over the same connection: Connect saves the first one's names.
        device = &second;
        QVERIFY(app.Connect(&conn, false));
        QCOMPARE(app.descriptionLists[CDescriptionLists::Illumination][0], QString());
        QVERIFY(app.descriptionLists[CDescriptionLists::Level].isEmpty());
        app.descriptionLists[CDescriptionLists::Illumination][0] = QStringLiteral("White");
        app.Disconnect();
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("77/LevelDescriptions.dat"))), QByteArray());
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("77/LevelDescriptions.dat"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("-294967295/LevelDescriptions.dat"))));

        device = &first;
        QVERIFY(app.Connect(&conn, false));
        QCOMPARE(app.descriptionLists[CDescriptionLists::Level][2], QStringLiteral("Sump"));
        QCOMPARE(app.descriptionLists[CDescriptionLists::Illumination][0], QStringLiteral("Blue"));
        app.Disconnect();
    }

    void failedConnectDoesNotBlankAnotherControllersFile()
    {
        // The first controller has level names; a connect to a model without level channels
        // that fails before the serial number is read must not overwrite them.
        QTemporaryDir dir;
        CDeviceModel::Options o;
        o.serial = 5;
        CDeviceModel first(o);
        o.productCode = 2;
        o.firmware = 399;  // refused after the model row is set
        CDeviceModel old(o);
        CDeviceModel* device = &first;
        CKorvalisControlApp app;
        app.dataFolder = dir.path();
        app.SetFramePause(0);
        app.SetChannelFactory([&](const CConnection&) { return std::make_unique<CMemoryChannel>(*device); });
        CConnection conn;
        conn.replyTimeout = 100;
        QVERIFY(app.Connect(&conn, false));
        app.descriptionLists[CDescriptionLists::Level][0] = QStringLiteral("Tank");
        app.Disconnect();
        device = &old;
        QVERIFY(!app.Connect(&conn, false));
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("5/LevelDescriptions.dat"))), QByteArray("Tank\r\n\r\n\r\n"));
    }

    void listNotFittingTheModelIsNotWritten()
    {
        QTemporaryDir dir;
        CKorvalisControlApp app;
        app.dataFolder = dir.path();
        app.simulationMode = true;
        QVERIFY(app.Connect(nullptr, false));
        app.descriptionLists[CDescriptionLists::Illumination].removeLast();
        app.descriptionLists[CDescriptionLists::Timer][0] = QStringLiteral("kept");
        app.Disconnect();
        const QString folder = dir.filePath(QStringLiteral("1005092007"));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/IlluminationDescriptions.dat")));
        QVERIFY(ReadAll(folder + QStringLiteral("/TimerDescriptions.dat")).startsWith("kept\r\n"));
    }
};

QTEST_GUILESS_MAIN(CDescriptionFileTest)
#include "CDescriptionFile_test.moc"
