// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter record, the list operations and the parameter text format.
#include <sys/resource.h>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <csignal>
#include <stdexcept>

#include "lang/CLanguage.h"
#include "params/CParameter.h"
#include "params/CParameterArray.h"
#include "support/CScriptedTransferUi.h"

namespace {
CParameter Parsed(const QByteArray& line, int* error = nullptr)
{
    CParameter p;
    const int e = p.ParseLine(line);
    if (error) *error = e;
    return p;
}

CParameterArray Read(const QByteArray& text, int* error = nullptr)
{
    CParameterArray a;
    const int e = a.ReadText(text);
    if (error) *error = e;
    return a;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
}  // namespace

class CParameterArrayTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English)));
        QVERIFY(!Tr(186).isEmpty());
    }

    void lineLengthAndFieldCount()
    {
        int e = 0;
        Parsed("1,\"\",0", &e);
        QCOMPARE(e, -2);  // three fields but only six characters
        CParameter p = Parsed("1, \"\", 0", &e);
        QCOMPARE(e, 0);
        QCOMPARE(p.Number, uint16_t(1));
        QVERIFY(p.Name.isEmpty());
        Parsed("12345, \"only two\"", &e);
        QCOMPARE(e, -2);
        // A failed parse leaves the record as it was.
        CParameter kept(7, QStringLiteral("Kept"), 9);
        QCOMPARE(kept.ParseLine("nonsense line"), -2);
        QCOMPARE(kept, CParameter(7, QStringLiteral("Kept"), 9));
    }

    void fieldsAndValues()
    {
        CParameter p = Parsed("5, \"Name, with comma\", 7");
        QCOMPARE(p.Name, QStringLiteral("Name, with comma"));
        QCOMPARE(p.Value, 7.0);
        QCOMPARE(p.Kind, int32_t(CParameter::NumericKind));

        p = Parsed("5, \"T\", \"ABC\"");
        QCOMPARE(p.Kind, int32_t(CParameter::TextKind));
        QCOMPARE(p.Text, QByteArray("\"ABC\""));
        QCOMPARE(p.TextBytes(), QByteArray("ABC"));
        QCOMPARE(p.Value, 0.0);

        QCOMPARE(Parsed("5, \"n\", 12abc").Value, 12.0);
        QCOMPARE(Parsed("5, \"n\", abc").Value, 0.0);
        QCOMPARE(Parsed("5, \"n\", -42").Value, -42.0);
        QCOMPARE(Parsed("5, \"n\", +42").Value, 42.0);
        QCOMPARE(Parsed("5, \"n\", 4294967295").Value, 4294967295.0);
        // Numbers are kept in 16 bits.
        QCOMPARE(Parsed("65546, \"n\", 0").Number, uint16_t(10));
        QCOMPARE(Parsed("-1, \"n\", 0").Number, uint16_t(65535));
        // Fields after the third are ignored; blanks around fields are not part of them.
        p = Parsed("  9 ,\t\"x\" ,  \"a b\"  , 77, 88");
        QCOMPARE(p.Number, uint16_t(9));
        QCOMPARE(p.Text, QByteArray("\"a b\""));
        // A lone quote is not a text value.
        QCOMPARE(Parsed("5, \"n\", \"").Kind, int32_t(CParameter::NumericKind));
    }

    void formatLine()
    {
        QCOMPARE(CParameter(2, QStringLiteral("CODE_PRODUCTID"), 3).FormatLine(),
                 QByteArray("2, \"CODE_PRODUCTID\", 3\r\n"));
        QCOMPARE(CParameter(1, QStringLiteral("a"), 3.9).FormatLine(), QByteArray("1, \"a\", 3\r\n"));
        QCOMPARE(CParameter(1, QStringLiteral("a"), -3.9).FormatLine(), QByteArray("1, \"a\", -3\r\n"));
        // Values of 2^31 and more keep their low 32 bits, read as signed, as the bus carries them.
        QCOMPARE(CParameter(1, QStringLiteral("a"), 2147483648.0).FileValue(), int32_t(-2147483647 - 1));
        QCOMPARE(CParameter(1, QStringLiteral("a"), 4294967295.0).FileValue(), int32_t(-1));
        QCOMPARE(CParameter(1, QStringLiteral("a"), 4294967296.0 + 5).FileValue(), int32_t(5));
        QCOMPARE(CParameter(1, QStringLiteral("a"), -4294967297.0).FileValue(), int32_t(-1));
        QCOMPARE(CParameter(1, QStringLiteral("a"), 1e300).FileValue(), int32_t(0));
        QCOMPARE(CParameter(1, QStringLiteral("a"), qQNaN()).FileValue(), int32_t(0));
        QCOMPARE(CParameter::MakeText(65535, QStringLiteral("t"), "x y").FormatLine(),
                 QByteArray("65535, \"t\", \"x y\"\r\n"));
    }

    void byteStringsSurviveTheFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("quote") << QByteArray("say \"hi\"");
        QTest::newRow("crlf") << QByteArray("line1\r\nline2");
        QTest::newRow("nul") << QByteArray("a\0b", 3);
        QTest::newRow("lone quote") << QByteArray("\"");
        QTest::newRow("high bytes") << QByteArray("Gr\xFC\xDF\xA0");
        QTest::newRow("empty") << QByteArray();
    }

    void byteStringsSurviveTheFile()
    {
        QFETCH(QByteArray, bytes);
        const CParameter original = CParameter::MakeText(90, QStringLiteral("Phone"), bytes);
        const QByteArray line = original.FormatLine();
        QCOMPARE(line.count('\n'), 1);
        CParameter back;
        QCOMPARE(back.ParseLine(line.trimmed()), 0);
        QCOMPARE(back, original);
        QCOMPARE(back.TextBytes(), bytes);
    }

    void plainQuotedTextIsUnchanged()
    {
        // Text that fits between quotes is written and read exactly as before; the escaped
        // form is only used for values the quoted form cannot carry.
        QCOMPARE(CParameter::MakeText(1, QStringLiteral("n"), "a,b").FormatLine(), QByteArray("1, \"n\", \"a,b\"\r\n"));
        QCOMPARE(Parsed("1, \"n\", \"x\\\"41\\\"\"").TextBytes(), QByteArray("x\\\"41\\\""));
        CParameter p = Parsed("1, \"n\", x\"41420D\"");
        QCOMPARE(p.Kind, int32_t(CParameter::TextKind));
        QCOMPARE(p.TextBytes(), QByteArray("AB\r"));
        int e = 0;
        Parsed("1, \"n\", x\"4\"", &e);
        QCOMPARE(e, -2);
        Parsed("1, \"n\", x\"zz\"", &e);
        QCOMPARE(e, -2);
    }

    void blocks()
    {
        int e = 1;
        CParameterArray a = Read(
            "[STARTBLOCK]\r\nBLOCKCOUNT = 3\r\nBLOCKSIZE = 20\r\n10, \"Offset\", "
            "0\r\n[ENDBLOCK]\r\n",
            &e);
        QCOMPARE(e, 0);
        QCOMPARE(a.Count(), 3);
        QCOMPARE(a[0].Number, uint16_t(10));
        QCOMPARE(a[0].Name, QStringLiteral("Offset - 0"));
        QCOMPARE(a[1].Number, uint16_t(30));
        QCOMPARE(a[2].Number, uint16_t(50));
        QCOMPARE(a[2].Name, QStringLiteral("Offset - 2"));

        // Several lines share the settings; numbers wrap in 16 bits; a setting line with a
        // name containing '=' is ignored; a restart resets the settings; unclosed is fine.
        a = Read(
            "[STARTBLOCK]\nBLOCKCOUNT=2\nBLOCKSIZE=65535\n1, \"a\", 5\n2, \"b\", \"t\"\n"
            "7, \"x=y\", 1\n[STARTBLOCK]\n3, \"c\", 0\n",
            &e);
        QCOMPARE(e, 0);
        QCOMPARE(a.Count(), 5);
        QCOMPARE(a[1].Number, uint16_t(0));
        QCOMPARE(a[2].Name, QStringLiteral("b - 0"));
        QCOMPARE(a[3].Text, QByteArray("\"t\""));
        QCOMPARE(a[4].Name, QStringLiteral("c - 0"));

        QCOMPARE(Read("[STARTBLOCK]\nBLOCKCOUNT=0\n1, \"a\", 5\n[ENDBLOCK]\n2, \"b\", 1\n").Count(), 1);
        QCOMPARE(Read("[STARTBLOCK]\nBLOCKCOUNT=-4\n1, \"a\", 5\n").Count(), 0);
    }

    void lineErrors()
    {
        int e = 0;
        CParameterArray a = Read("1, \"a\", 1\n[ENDBLOCK]\n2, \"b\", 2\n", &e);
        QCOMPARE(e, -2);
        QCOMPARE(a.Count(), 1);  // the lines before the error stay
        Read("1, \"a\", 1\nBLOCKCOUNT=3\n", &e);
        QCOMPARE(e, -2);
        // A hostile block count is refused before anything is allocated for it.
        a = Read("[STARTBLOCK]\nBLOCKCOUNT=65537\n1, \"a\", 0\n", &e);
        QCOMPARE(e, -2);
        QCOMPARE(a.Count(), 0);
        a = Read("[STARTBLOCK]\nBLOCKCOUNT=99999999999999999999\n1, \"a\", 0\n", &e);
        QVERIFY(a.Count() <= CParameterArray::MaxBlockCount);
        a = Read("[STARTBLOCK]\nBLOCKCOUNT=65536\n1, \"a\", 0\n", &e);
        QCOMPARE(e, 0);
        QCOMPARE(a.Count(), 65536);
        QCOMPARE(a[65535].Number, uint16_t(0));
        // Blocks together make no more elements than there are parameter numbers.
        a = Read("7, \"x\", 0\n[STARTBLOCK]\nBLOCKCOUNT=40000\n1, \"a\", 0\n2, \"b\", 0\n", &e);
        QCOMPARE(e, -2);
        QCOMPARE(a.Count(), 40001);
        // Reading clears what the list held.
        QCOMPARE(a.ReadText("\n \n\t\r\n"), 0);
        QCOMPARE(a.Count(), 0);
    }

    void listOperations()
    {
        CParameterArray a;
        a.Add(CParameter(948, QStringLiteral("first"), 1));
        a.Add(CParameter(948, QStringLiteral("second"), 2));
        CParameter found;
        QVERIFY(a.FindByNumber(948, found));
        QCOMPARE(found.Name, QStringLiteral("first"));
        QVERIFY(!a.FindByNumber(949, found));
        QVERIFY(a.ContainsSensorParameters());
        QVERIFY(a.ReplaceByNumber(948, CParameter(948, QStringLiteral("new"), 5)));
        QCOMPARE(a[0].Name, QStringLiteral("new"));
        QCOMPARE(a[1].Name, QStringLiteral("second"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, a.At(2));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, a.SetAt(-1, found));

        CParameterArray b;
        b.Add(CParameter(170, QString(), 0));
        b.Add(CParameter(947, QString(), 0));
        b.Add(CParameter(9, QString(), 0));
        QVERIFY(!b.ContainsSensorParameters());
        QVERIFY(!b.IsSmsModuleList());
        b.Add(CParameter(2, QString(), 10));
        QVERIFY(b.IsSmsModuleList());
        b.SetAt(3, CParameter(2, QString(), 8));
        QVERIFY(!b.IsSmsModuleList());
    }

    void removeCalibrationValues()
    {
        CParameterArray a;
        for (int n : {9, 10, 13, 14, 29, 30, 33, 34, 150, 153, 154, 170, 948})
            a.Add(CParameter(uint16_t(n), QString(), 0));
        a.RemoveCalibrationValues();
        QList<int> left;
        for (const CParameter& p : a) left << p.Number;
        QCOMPARE(left, (QList<int>{9, 14, 29, 34, 154, 170, 948}));
    }

    void listFileNames()
    {
        QCOMPARE(CParameterArray::ListFileName(408, 3), QStringLiteral("ParaList_V408_KorvalisB.def"));
        QCOMPARE(CParameterArray::ListFileName(402, 10), QStringLiteral("ParaList_V402_SMS-Module.def"));
        QCOMPARE(CParameterArray::ListFileName(408, 99), QStringLiteral("ParaList_V408.def"));
        QCOMPARE(CParameterArray::ListFilePath(QString(), 400, 8), QStringLiteral("ParaList_V400_KorvalisG.def"));
        QCOMPARE(CParameterArray::ListFilePath(QStringLiteral("/x/y"), 400, 8),
                 QStringLiteral("/x/y/ParaList_V400_KorvalisG.def"));
    }

    void saveLoadSaveIsIdentical()
    {
        QTemporaryDir dir;
        CParameterArray a;
        a.Add(CParameter(0, QStringLiteral("CODE_SOFTWAREVERSION"), 408));
        a.Add(CParameter(6, QStringLiteral("CODE_SERIALNUMBER"), 4294967295.0));
        a.Add(CParameter(1228, QStringLiteral("Name, odd"), 2147483648.0));
        a.Add(CParameter::MakeText(90, QStringLiteral("Phone"), "+49\"1\"\r\n"));
        a.Add(CParameter::MakeText(100, QStringLiteral("Entry"), "plain \xE4"));
        const QString first = dir.filePath(QStringLiteral("a.par"));
        const QString second = dir.filePath(QStringLiteral("b.par"));
        QCOMPARE(a.SaveToPath(first), CParameterArray::FileResult::Ok);
        CParameterArray b;
        QCOMPARE(b.LoadFromPath(first), CParameterArray::FileResult::Ok);
        QCOMPARE(b.SaveToPath(second), CParameterArray::FileResult::Ok);
        QCOMPARE(FileBytes(second), FileBytes(first));
        QCOMPARE(b[3], a[3]);
        QVERIFY(FileBytes(first).startsWith("0, \"CODE_SOFTWAREVERSION\", 408\r\n6, \"CODE_SERIALNUMBER\", -1\r\n"));
    }

    void failedSaveKeepsThePreviousFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("backup.par"));
        CParameterArray small;
        small.Add(CParameter(0, QStringLiteral("CODE_SOFTWAREVERSION"), 408));
        QCOMPARE(small.SaveToPath(path), CParameterArray::FileResult::Ok);
        const QByteArray before = FileBytes(path);

        CParameterArray large;
        for (int i = 0; i < 5000; ++i) large.Add(CParameter(uint16_t(i), QStringLiteral("PARAMETER_%1").arg(i), i));
        // A file-size limit stands in for a full disk: the write fails part-way.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limited);
        CScriptedTransferUi ui;
        const auto result = large.SaveToFile(ui, path);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(result, CParameterArray::FileResult::WriteFailed);
        QCOMPARE(ui.MessageIds(), QList<int>{170});
        QCOMPARE(FileBytes(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("backup.par")});
    }

    void fileDialogsAndMessages()
    {
        QTemporaryDir dir;
        CScriptedTransferUi ui;
        CParameterArray a;
        a.Add(CParameter(2, QStringLiteral("CODE_PRODUCTID"), 10));
        QCOMPARE(a.SaveToFile(ui), CParameterArray::FileResult::Cancelled);  // dialog cancelled
        QCOMPARE(ui.lastDefaultName, Tr(374));
        QCOMPARE(ui.lastDefaultExtension, QStringLiteral("par"));
        QVERIFY(ui.messages.isEmpty());
        a.SetAt(0, CParameter(30, QStringLiteral("x"), 1));
        a.SaveToFile(ui);
        QCOMPARE(ui.lastDefaultName, Tr(187));
        a.SetAt(0, CParameter(2, QStringLiteral("x"), 3));
        a.SaveToFile(ui);
        QCOMPARE(ui.lastDefaultName, Tr(186));

        ui.saveFileName = dir.filePath(QStringLiteral("no/such/folder/x.par"));
        QCOMPARE(a.SaveToFile(ui), CParameterArray::FileResult::CannotOpen);
        QCOMPARE(ui.MessageIds(), QList<int>{170});

        ui.messages.clear();
        const QString bad = dir.filePath(QStringLiteral("bad.par"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("0, \"CODE_SOFTWAREVERSION\", 408\r\ngarbage\r\n");
        f.close();
        QCOMPARE(a.LoadFromFile(ui, bad), CParameterArray::FileResult::BadContent);
        QCOMPARE(ui.MessageIds(), QList<int>{171});
        ui.messages.clear();
        QCOMPARE(a.LoadFromFile(ui, dir.filePath(QStringLiteral("missing.par"))),
                 CParameterArray::FileResult::CannotOpen);
        QVERIFY(ui.messages.isEmpty());  // an open failure is silent
    }
};

QTEST_GUILESS_MAIN(CParameterArrayTest)
#include "CParameterArray_test.moc"
