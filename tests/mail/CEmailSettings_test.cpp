// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

#include <cmath>

#include "app/CKorvalisControlApp.h"
#include "alerts/CEmailSettings.h"

namespace {
QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

CEmail Rule(QStringList to, QString text, QString subject, int type, int minutes)
{
    CEmail r;
    r.recipients = to;
    r.text = text;
    r.subject = subject;
    r.type = type;
    r.SetTimeMinutes(minutes);
    return r;
}
}  // namespace

class CEmailSettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptySettingsAreTenBytes()
    {
        CEmailSettings s;
        QCOMPARE(s.Serialize(), Hex("0000" "00" "00" "00" "00" "00" "00" "1900"));
    }

    void oneRuleByteForByte()
    {
        CEmailSettings s;
        s.rules.append(Rule({"a@b.c"}, QString::fromLatin1("T\xe4"), "S", 1, 12 * 60));
        s.smtpServer = "mx";
        s.password = "p";
        s.senderAddress = "f@x";
        s.furtherText = "n";
        s.userName = "u";
        s.authentication = true;
        s.port = 587;
        const QByteArray expected = Hex("0100"                 // one rule
                                        "0100" "05" "6140622e63"  // ["a@b.c"]
                                        "02" "54e4"            // "Tä" in ISO-8859-1
                                        "01" "53"              // "S"
                                        "01000000"             // type 1
                                        "00000000"             // status valid
                                        "000000000000e03f"     // 0.5 = 12:00
                                        "02" "6d78" "01" "70" "03" "664078" "01" "6e" "01" "75"
                                        "01" "4b02");
        QCOMPARE(s.Serialize(), expected);
        CEmailSettings back;
        QVERIFY(back.Parse(expected));
        QVERIFY(back.SameStoredFields(s));
        QCOMPARE(back.rules[0].TimeMinutes(), 720);
    }

    void roundTripOfEveryFieldAndLengthForm()
    {
        CEmailSettings s;
        s.rules.append(Rule({"x@y.z", "second@host.example"}, "line 1\r\nline 2 [SENSOR1] [LEVEL]", "Tank",
                            CEmail::OnAlarmRepeated, 90));
        s.rules.append(Rule({}, QString(300, 'a'), QString(70000, 'b'), CEmail::TestOnly, 0));
        s.rules.append(Rule({"c@d"}, "", QString::fromLatin1("\xfc\xdf"), CEmail::AtTime, 23 * 60 + 59));
        s.rules[2].timeStatus = CEmail::Null;
        s.rules[2].time = -1.25;
        s.smtpServer = "smtp.example.org";
        s.password = QString::fromLatin1("p\xe4ss w;\"rd");
        s.senderAddress = "tank@example.org";
        s.furtherText = "Tank room";
        s.userName = "tank";
        s.authentication = true;
        s.port = 465;
        const QByteArray bytes = s.Serialize();
        // The 300-byte text takes the 16-bit form, the 70000-byte subject the 32-bit one.
        QVERIFY(bytes.contains(Hex("ff2c01") + QByteArray(300, 'a')));
        QVERIFY(bytes.contains(Hex("ffffff70110100") + QByteArray(70000, 'b')));
        CEmailSettings back;
        QVERIFY(back.Parse(bytes));
        QVERIFY(back.SameStoredFields(s));
        QCOMPARE(back.Serialize(), bytes);
        QCOMPARE(back.rules[2].TimeMinutes(), -1);  // a null time is no time
    }

    void wideStringsFromAWideBuildAreRead()
    {
        // Count 0, then a server name as 16-bit characters, then the rest empty.
        CEmailSettings s;
        QVERIFY(s.Parse(Hex("0000" "fffeff" "02" "68006900" "00000000" "00" "1900")));
        QCOMPARE(s.smtpServer, QStringLiteral("hi"));
    }

    void damagedFilesKeepWhatWasRead()
    {
        CEmailSettings full;
        full.rules.append(Rule({"a@b"}, "one", "1", 0, 60));
        full.rules.append(Rule({"c@d"}, "two", "2", 1, 60));
        full.smtpServer = "mx";
        const QByteArray bytes = full.Serialize();

        // Cut inside the second rule: the first stays, the server keeps its default.
        CEmailSettings cut;
        QVERIFY(!cut.Parse(bytes.left(bytes.indexOf("two") + 1)));
        QCOMPARE(cut.rules.size(), 1);
        QCOMPARE(cut.rules[0].text, QStringLiteral("one"));
        QVERIFY(cut.smtpServer.isEmpty());
        QCOMPARE(cut.port, uint16_t(25));

        // Every prefix parses without harm, and only the whole file parses completely.
        for (int n = 0; n < bytes.size(); ++n) {
            CEmailSettings p;
            QVERIFY2(!p.Parse(bytes.left(n)), qPrintable(QString::number(n)));
        }

        // Counts and lengths larger than the file are refused before anything is allocated.
        CEmailSettings big;
        QVERIFY(!big.Parse(Hex("ffff" "ffffff7f")));
        QVERIFY(big.rules.isEmpty());
        QVERIFY(!big.Parse(Hex("feff") + QByteArray(100, 0)));  // 65534 rules announced, 5 there
        QCOMPARE(big.rules.size(), 5);
        QVERIFY(!big.Parse(Hex("0100" "ffff" "ffffff7f") + QByteArray(40, 0)));
        QVERIFY(!big.Parse(Hex("0000" "ffffff" "ffffff7f" "00")));
        QVERIFY(!big.Parse(Hex("0000" "fffeff" "fffeff" "00")));  // two wide markers
    }

    // Values the rule dialog never produces are damage: the rule is not used, reading stops.
    void implausibleValuesAreDamage_data()
    {
        QTest::addColumn<int>("field");
        QTest::newRow("type 7") << 0;
        QTest::newRow("time status 5") << 1;
        QTest::newRow("time not a number") << 2;
        QTest::newRow("time far out") << 3;
        QTest::newRow("control character in the subject") << 4;
        QTest::newRow("NUL in a recipient") << 5;
        QTest::newRow("control character in the server") << 6;
        QTest::newRow("bytes after the last field") << 7;
    }
    void implausibleValuesAreDamage()
    {
        QFETCH(int, field);
        CEmailSettings s;
        s.rules.append(Rule({"a@b"}, "good", "1", 0, 60));
        CEmail bad = Rule({"c@d"}, "bad", "2", 1, 60);
        switch (field) {
        case 0: bad.type = 7; break;
        case 1: bad.timeStatus = 5; break;
        case 2: bad.time = std::nan(""); break;
        case 3: bad.time = 1e300; break;
        case 4: bad.subject = QStringLiteral("a\x01"); break;
        case 5: bad.recipients = {QString(QChar(0))}; break;
        case 6: s.smtpServer = QStringLiteral("mx\x1b"); break;
        }
        if (field < 6) s.rules.append(bad);
        CEmailSettings back;
        QVERIFY(!back.Parse(s.Serialize() + (field == 7 ? QByteArray(1, '\0') : QByteArray())));
        QCOMPARE(back.rules.size(), 1);
        QCOMPARE(back.rules[0].text, QStringLiteral("good"));
        QVERIFY(back.smtpServer.isEmpty() || field == 7);
    }

    void savedFileIsPrivateAtomicAndReloads()
    {
        QTemporaryDir dir;
        CEmailSettings s(dir.path());
        QVERIFY(s.Load());  // no file yet: defaults
        s.rules.append(Rule({"a@b"}, "t", "s", 2, 0));
        s.password = "secret";
        QVERIFY(s.Save());
        const QString path = dir.filePath("EmailSettings.dat");
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0600));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), s.Serialize());
        CEmailSettings again(dir.path());
        QVERIFY(again.Load());
        QVERIFY(again.SameStoredFields(s));
        // No temporary file is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"EmailSettings.dat"});
    }

    void damagedFileIsKeptAsideBeforeItIsReplaced()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("EmailSettings.dat");
        CEmailSettings full;
        full.rules.append(Rule({"a@b"}, "one", "1", 0, 60));
        full.rules.append(Rule({"c@d"}, "two", "2", 1, 60));
        const QByteArray damaged = full.Serialize().left(30);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(damaged);
        f.close();
        CEmailSettings s(dir.path());
        QVERIFY(!s.Load());
        QCOMPARE(s.rules.size(), 1);
        QVERIFY(s.Save());
        QFile aside(path + ".damaged");
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), damaged);
    }

    void saveFailureKeepsThePreviousFile()
    {
        QTemporaryDir dir;
        // A regular file where the folder should be: the save cannot create its file.
        QFile blocker(dir.filePath("notafolder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        CEmailSettings s(dir.filePath("notafolder"));
        QVERIFY(!s.Save());
        QVERIFY(!s.LastError().isEmpty());
    }

    void applicationLoadsTheSettingsWithTheDataFolder()
    {
        QTemporaryDir dir;
        {
            CEmailSettings s(dir.path());
            s.smtpServer = "mx.example";
            s.port = 2525;
            QVERIFY(s.Save());
        }
        CKorvalisControlApp app;
        app.dataFolder = dir.path();
        QVERIFY(app.CreateDataFolder());
        QCOMPARE(app.EmailSettings().smtpServer, QStringLiteral("mx.example"));
        QCOMPARE(app.EmailSettings().port, uint16_t(2525));
        QCOMPARE(app.EmailSettings().FilePath(), dir.filePath("EmailSettings.dat"));
    }
};

QTEST_GUILESS_MAIN(CEmailSettingsTest)
#include "CEmailSettings_test.moc"
