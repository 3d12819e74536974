// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "link/CArchive.h"
#include "link/CByteChannel.h"
#include "link/CConnectionArray.h"

namespace {
QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray U32(uint32_t v)
{
    QByteArray b;
    CArchive(&b).WriteU32(v);
    return b;
}

// One record as the file holds it, single-byte strings shorter than 255.
QByteArray Record(uint32_t port, uint32_t baud, uint32_t addr, uint32_t type, uint32_t timeout,
                  const QByteArray& name, const QByteArray& ip, uint32_t tcpPort, int sms)
{
    QByteArray b = U32(port) + U32(baud) + U32(addr) + U32(type) + U32(timeout);
    b += char(name.size()) + name + char(ip.size()) + ip + U32(tcpPort);
    if (sms >= 0)
        b += char(sms);
    return b;
}

CConnection Make(const QString& name, uint32_t type = CConnection::Serial, uint32_t port = 1)
{
    CConnection c;
    c.name = name;
    c.type = type;
    c.comPort = port;
    return c;
}

QStringList Names(const CConnectionArray& a)
{
    QStringList out;
    for (int i = 0; i < a.GetCount(); ++i)
        out << a.GetAt(i).name;
    return out;
}
}  // namespace

class CConnectionArrayTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English)));
    }

    void firstStartHasTheTwoDefaults()
    {
        QTemporaryDir dir;
        CConnectionArray list(dir.path());
        QCOMPARE(list.GetCount(), 2);
        QCOMPARE(list.GetSelectedIndex(), 0);
        const CConnection serial = list.GetAt(0), tcp = list.GetAt(1);
        QCOMPARE(serial.name, Tr(195));
        QCOMPARE(tcp.name, Tr(272));
        QCOMPARE(serial.type, uint32_t(CConnection::Serial));
        QCOMPARE(tcp.type, uint32_t(CConnection::Tcp));
        for (const CConnection& c : {serial, tcp}) {
            QCOMPARE(c.comPort, 1u);
            QCOMPARE(c.baudRate, 9600u);
            QCOMPARE(c.deviceAddress, 1u);
            QCOMPARE(c.replyTimeout, 5000u);
        }
        QCOMPARE(serial.GetWhereText(), QStringLiteral("COM1"));
        QCOMPARE(tcp.GetWhereText(), QStringLiteral("<AUTO>:10001"));
        QCOMPARE(tcp.GetBaudText(), QStringLiteral("---"));
        QCOMPARE(serial.GetBaudText(), QStringLiteral("9600"));
    }

    void fileBytesAreExact()
    {
        QTemporaryDir dir;
        {
            CConnectionArray list(dir.path());
            CConnection c = Make(QStringLiteral("Becken \u00e9"), CConnection::Tcp, 3);
            c.networkAddress = QStringLiteral("10.0.0.7");
            c.smsModule = true;
            c.baudRate = 19200;
            c.deviceAddress = 2;
            c.replyTimeout = 700;
            c.tcpPort = 4001;
            QVERIFY(list.Add(c));
            list.Select(2);
        }  // destruction saves
        QByteArray expected("\x03\x01\x02\x00", 4);
        expected += Record(1, 9600, 1, 0, 5000, Tr(195).toLatin1(), "0.0.0.0", 10001, 0);
        expected += Record(1, 9600, 1, 1, 5000, Tr(272).toLatin1(), "0.0.0.0", 10001, 0);
        expected += Record(3, 19200, 2, 1, 700, "Becken \xe9", "10.0.0.7", 4001, 1);
        QCOMPARE(ReadFile(dir.filePath("Connections.dat")), expected);
        QVERIFY(!QFile::exists(dir.filePath("Connections.dat.bak")));
    }

    void everyOperationSurvivesTheFile()
    {
        QTemporaryDir dir;
        {
            CConnectionArray list(dir.path());
            QCOMPARE(list.MakeUniqueName(), Tr(188) + "1");
            QVERIFY(list.Add(Make(list.MakeUniqueName())));
            QCOMPARE(list.MakeUniqueName(), Tr(188) + "2");
            QVERIFY(list.Add(Make(list.MakeUniqueName(), CConnection::Serial, 7)));
            QVERIFY(!list.Add(Make(Tr(188) + "1")));            // same name
            QVERIFY(list.Add(Make(Tr(188).toUpper() + "1")));   // case counts
            QVERIFY(list.UpdateAt(0, Make("first", CConnection::Serial, 9)));
            QVERIFY(!list.UpdateAt(9, Make("nowhere")));
            QVERIFY(list.Select(3));
            CConnection sel = list.GetSelected();
            sel.deviceAddress = 17;
            list.UpdateSelected(sel);
            QVERIFY(list.Remove(1));  // before the selected row: the selection follows
            QCOMPARE(list.GetSelectedIndex(), 2);
        }
        CConnectionArray back(dir.path());
        QCOMPARE(Names(back), (QStringList{"first", Tr(188) + "1", Tr(188) + "2", Tr(188).toUpper() + "1"}));
        QCOMPARE(back.GetSelectedIndex(), 2);
        QCOMPARE(back.GetSelected().deviceAddress, 17u);
        QCOMPARE(back.GetSelected().comPort, 7u);
        QCOMPARE(back.GetAt(0).comPort, 9u);
    }

    void removalAndSelectionRules()
    {
        CConnectionArray list;
        list.Add(Make("a"));
        list.Add(Make("b"));
        list.Add(Make("c"));
        list.Select(2);
        QVERIFY(list.Remove(2));  // the selected last row: row 0 becomes selected
        QCOMPARE(list.GetSelectedIndex(), 0);
        list.Select(1);
        QVERIFY(list.Remove(1));
        QCOMPARE(list.GetSelectedIndex(), 0);
        QVERIFY(!list.Remove(0));  // the last connection stays
        QVERIFY(!list.Remove(5));
        QVERIFY(!list.Select(4));  // out of range: stored, but nothing to get
        QCOMPARE(list.GetSelectedIndex(), 4);
        QCOMPARE(list.GetSelected().name, Tr(188));
        list.UpdateSelected(Make("ignored"));
        QCOMPARE(Names(list), QStringList{"a"});
        QCOMPARE(list.GetAt(-1).comPort, 1u);
    }

    void listIsLimitedTo255()
    {
        CConnectionArray list;
        for (int i = 0; i < CConnectionArray::MaxCount; ++i)
            QVERIFY(list.Add(Make(QString::number(i))));
        QVERIFY(list.IsFull());
        QVERIFY(!list.Add(Make("one more")));
        const QByteArray bytes = list.ToBytes();
        QCOMPARE(uint8_t(bytes[0]), uint8_t(255));
        QCOMPARE(uint8_t(bytes[1]), uint8_t(1));
        CConnectionArray back;
        QVERIFY(back.FromBytes(bytes));
        QCOMPARE(back.GetCount(), 255);
    }

    void versionZeroFileHasNoSmsByte()
    {
        QTemporaryDir dir;
        QByteArray file("\x02\x00\x01\x00", 4);
        file += Record(4, 38400, 3, 0, 2000, "old one", "0.0.0.0", 10001, -1);
        file += Record(1, 9600, 1, 1, 5000, "old two", "192.168.1.9", 10001, -1);
        WriteFile(dir.filePath("Connections.dat"), file);
        CConnectionArray list;
        list.Open(dir.path());
        QVERIFY(!list.LoadStoppedEarly());
        QCOMPARE(list.LoadedVersion(), uint8_t(0));
        QCOMPARE(Names(list), (QStringList{"old one", "old two"}));
        QCOMPARE(list.GetSelected().networkAddress, QStringLiteral("192.168.1.9"));
        QCOMPARE(list.GetAt(0).baudRate, 38400u);
        QVERIFY(!list.GetAt(0).smsModule);
        QVERIFY(list.Save());
        const QByteArray saved = ReadFile(dir.filePath("Connections.dat"));
        QCOMPARE(uint8_t(saved[1]), uint8_t(1));
        QCOMPARE(saved.size(), file.size() + 2);  // one SMS byte per record
    }

    void selectedIndexOutOfRangeLoadsAsZero()
    {
        QByteArray file("\x03\x01\x07\x00", 4);
        for (const char* n : {"x", "y", "z"})
            file += Record(1, 9600, 1, 0, 5000, n, "0.0.0.0", 10001, 0);
        CConnectionArray list;
        QVERIFY(list.FromBytes(file));
        QCOMPARE(list.GetSelectedIndex(), 0);
    }

    void longNamesUseTheWidePrefixes_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("254") << 254 << QByteArray("\xfe", 1);
        QTest::newRow("255") << 255 << QByteArray("\xff\xff\x00", 3);
        QTest::newRow("300") << 300 << QByteArray("\xff\x2c\x01", 3);
        QTest::newRow("65534") << 65534 << QByteArray("\xff\xff\xff\xfe\xff\x00\x00", 7);
    }
    void longNamesUseTheWidePrefixes()
    {
        QFETCH(int, length);
        QFETCH(QByteArray, prefix);
        CConnectionArray list;
        const QString name(length, QLatin1Char('n'));
        list.Add(Make(name));
        const QByteArray bytes = list.ToBytes();
        QCOMPARE(bytes.mid(4 + 20, prefix.size()), prefix);
        CConnectionArray back;
        QVERIFY(back.FromBytes(bytes));
        QCOMPARE(back.GetAt(0).name, name);
    }

    void utf16StringsAreRead()
    {
        // Name "Aq\u00fc\u03a9" in the UTF-16 form: marker, length 4, four 16-bit characters.
        QByteArray rec = U32(2) + U32(9600) + U32(1) + U32(0) + U32(5000);
        rec += QByteArray("\xff\xfe\xff\x04" "A\0q\0\xfc\0\xa9\x03", 12);
        rec += QByteArray("\x07" "1.2.3.4", 8) + U32(10001) + char(0);
        CConnectionArray list;
        QVERIFY(list.FromBytes(QByteArray("\x01\x01\x00\x00", 4) + rec));
        QCOMPARE(list.GetAt(0).name, QStringLiteral("Aq\u00fc\u03a9"));
        // Written back, a name with a letter beyond ISO-8859-1 keeps the UTF-16 form.
        QCOMPARE(list.ToBytes(), QByteArray("\x01\x01\x00\x00", 4) + rec);
    }

    void damagedFilesStopEarlyAndKeepABackup()
    {
        QTemporaryDir dir;
        QByteArray file("\x03\x01\x02\x00", 4);
        file += Record(1, 9600, 1, 0, 5000, "kept", "0.0.0.0", 10001, 0);
        file += Record(2, 9600, 1, 0, 5000, "also kept", "0.0.0.0", 10001, 1);
        const QByteArray full = file + Record(3, 9600, 1, 0, 5000, "lost", "0.0.0.0", 10001, 0);
        file = full.left(full.size() - 6);
        WriteFile(dir.filePath("Connections.dat"), file);
        {
            CConnectionArray list(dir.path());
            QVERIFY(list.LoadStoppedEarly());
            QCOMPARE(Names(list), (QStringList{"kept", "also kept"}));
            QCOMPARE(list.GetSelectedIndex(), 0);  // the selected record was not read
            QVERIFY(list.GetAt(1).smsModule);
        }
        QCOMPARE(ReadFile(dir.filePath("Connections.dat.bak")), file);
        CConnectionArray back(dir.path());
        QVERIFY(!back.LoadStoppedEarly());
        QCOMPARE(Names(back), (QStringList{"kept", "also kept"}));
    }

    // Values no dialog accepts are damage: loading stops there, and nothing of it is used.
    void implausibleRecordsAreDamage_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::newRow("type 2") << Record(1, 9600, 1, 2, 5000, "x", "0.0.0.0", 10001, 0);
        QTest::newRow("bus address 35") << Record(1, 9600, 35, 0, 5000, "x", "0.0.0.0", 10001, 0);
        QTest::newRow("COM port 256") << Record(256, 9600, 1, 0, 5000, "x", "0.0.0.0", 10001, 0);
        QTest::newRow("baud 216782795") << Record(1, 216782795, 1, 0, 5000, "x", "0.0.0.0", 10001, 0);
        QTest::newRow("timeout of ten digits") << Record(1, 9600, 1, 1, 1572521917, "x", "0.0.0.0", 10001, 0);
        QTest::newRow("TCP port 70000") << Record(1, 9600, 1, 1, 5000, "x", "0.0.0.0", 70000, 0);
        QTest::newRow("NUL in the name") << Record(1, 9600, 1, 0, 5000, QByteArray("a\0b", 3), "0.0.0.0", 10001, 0);
        QTest::newRow("bytes after the records") << QByteArray(16, '\0');
    }
    void implausibleRecordsAreDamage()
    {
        QFETCH(QByteArray, bad);
        const QByteArray good = Record(1, 9600, 1, 0, 5000, "good", "0.0.0.0", 10001, 0);
        CConnectionArray list;
        const bool trailing = bad.count('\0') == bad.size();
        QVERIFY(!list.FromBytes(QByteArray(trailing ? "\x01\x01\x00\x00" : "\x02\x01\x00\x00", 4) + good + bad));
        QVERIFY(list.LoadStoppedEarly());
        QCOMPARE(Names(list), QStringList{"good"});
    }

    void specialFileInPlaceOfTheListIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Connections.dat");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        {
            CConnectionArray list(dir.path());  // would block on the FIFO
            QCOMPARE(list.GetCount(), 2);
            QVERIFY(list.LoadStoppedEarly());
        }  // and so would the copy to the backup, or the save would replace it
        QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
        QVERIFY(!QFile::exists(path + ".bak"));
    }

    void lengthPrefixesAreCheckedAgainstTheFile_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("32-bit huge") << QByteArray("\xff\xff\xff\xf0\xff\xff\x7f", 7);
        QTest::newRow("utf16 huge") << QByteArray("\xff\xfe\xff\xff\xff\xff\xff\xff\xff\xff", 10);
        QTest::newRow("16-bit past end") << QByteArray("\xff\x00\x10", 3);
        QTest::newRow("double marker") << QByteArray("\xff\xfe\xff\xff\xfe\xff", 6);
        QTest::newRow("header only") << QByteArray();
    }
    void lengthPrefixesAreCheckedAgainstTheFile()
    {
        QFETCH(QByteArray, name);
        QByteArray bytes("\x01\x01\x00\x00", 4);
        if (!name.isEmpty())
            bytes += U32(1) + U32(9600) + U32(1) + U32(0) + U32(5000) + name + QByteArray(40, 'x');
        CConnectionArray list;
        QVERIFY(!list.FromBytes(bytes));
        QCOMPARE(list.GetCount(), 0);
    }

    void emptyOrMissingFilesGiveTheDefaults()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("Connections.dat"), QByteArray("\x00", 1));
        {
            CConnectionArray list(dir.path());
            QCOMPARE(list.GetCount(), 2);
        }
        QCOMPARE(ReadFile(dir.filePath("Connections.dat.bak")), QByteArray("\x00", 1));
        CConnectionArray back(dir.path());
        QVERIFY(!back.LoadStoppedEarly());
        QCOMPARE(Names(back), (QStringList{Tr(195), Tr(272)}));
    }

    void applicationConnectsThroughTheSelectedConnection()
    {
        QTemporaryDir dir;
        CConnection seen;
        {
            CKorvalisControlApp app;
            app.dataFolder = dir.path();
            app.LoadConnections();
            app.Connections().Add(Make("third", CConnection::Serial, 42));
            app.Connections().Select(2);
            app.SetChannelFactory([&](const CConnection& c) -> std::unique_ptr<CByteChannel> {
                seen = c;
                return nullptr;
            });
            QVERIFY(!app.Connect(nullptr, false));
            QCOMPARE(seen.name, QStringLiteral("third"));
            QCOMPARE(seen.comPort, 42u);
        }  // the application saves the list at its end
        CConnectionArray back(dir.path());
        QCOMPARE(back.GetSelected().name, QStringLiteral("third"));
    }
};

QTEST_GUILESS_MAIN(CConnectionArrayTest)
#include "CConnectionArray_test.moc"
