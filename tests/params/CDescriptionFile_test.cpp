// SPDX-License-Identifier: GPL-3.0-or-later
// Description files: format, bounds, atomic replacement, and the four lists the application
// loads at connect and saves at disconnect.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/CKorvalisControlApp.h"
#include "app/ModelInfo.h"
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
        const QStringList names{QStringLiteral("Pumpe \u00fc"), QStringLiteral("two\r\nlines"), QStringLiteral("a\nb\rc"),
                                QString()};
        QVERIFY(CDescriptionFile::WriteFile(path, names));
        QCOMPARE(ReadAll(path), QByteArray("Pumpe \xfc\r\ntwo lines\r\na b c\r\n\r\n"));
        // Read back, the following names keep their lines.
        QCOMPARE(CDescriptionFile::ReadFile(path, 4),
                 (QStringList{QStringLiteral("Pumpe \u00fc"), QStringLiteral("two lines"), QStringLiteral("a b c"), QString()}));
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
        const ModelInfo& m = *app.model;
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
        for (int i = 0; i < m.timers; ++i)
            expected += i == 1 ? "Futter\r\n" : "\r\n";
        QCOMPARE(ReadAll(folder + QStringLiteral("/TimerDescriptions.dat")), expected);
        QCOMPARE(ReadAll(folder + QStringLiteral("/DigitalInputDescriptions.dat")), QByteArray("\r\n\r\n\r\nT\xfcr\r\n"));
        QVERIFY(QFile::exists(folder + QStringLiteral("/IlluminationDescriptions.dat")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/LevelDescriptions.dat")));

        QVERIFY(app.Connect(nullptr, false));
        QCOMPARE(app.descriptionLists[CDescriptionLists::Timer][1], QStringLiteral("Futter"));
        QCOMPARE(app.descriptionLists[CDescriptionLists::DigitalInput][3], QStringLiteral("T\u00fcr"));
        app.Disconnect();
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
