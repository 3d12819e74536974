// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <sys/stat.h>

#include "recorder/CMeasuredValueArray.h"

class CMeasuredValueArrayTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString WriteFile(const char* name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", name);
        return path;
    }

private Q_SLOTS:
    void headerWithUnits() {
        CMeasuredValueArray a;
        QVERIFY(a.ParseHeader(u"Date;Time;A[\u00B0C];B[pH];\r\n"));
        QCOMPARE(a.FieldSeparator(), QChar(u';'));
        QVERIFY(a.HasUnits());
        QCOMPARE(a.DateTitle(), QStringLiteral("Date"));
        QCOMPARE(a.TimeTitle(), QStringLiteral("Time"));
        QCOMPARE(a.ValueColumnCount(), 2);
        QCOMPARE(a.ColumnName(0), QStringLiteral("A"));
        QCOMPARE(a.ColumnUnit(0), QStringLiteral("\u00B0C"));
        QCOMPARE(a.ColumnName(1), QStringLiteral("B"));
        QCOMPARE(a.ColumnUnit(1), QStringLiteral("pH"));

        QVERIFY(a.ParseHeader(u"Datum\tZeit\tTemperatur 1\tpH-Wert 1\t"));
        QCOMPARE(a.FieldSeparator(), QChar(u'\t'));
        QVERIFY(!a.HasUnits());
        QCOMPARE(a.ColumnName(1), QStringLiteral("pH-Wert 1"));
        QCOMPARE(a.ColumnUnit(1), QString());
    }

    void malformedHeadersFail_data() {
        QTest::addColumn<QString>("line");
        QTest::newRow("only date and time") << "Date;Time;";
        QTest::newRow("no separator at all") << "Date";
        QTest::newRow("bracket reversed") << "Date;Time;A]x[;";
        QTest::newRow("closing first") << "Date;Time;]x[;";
        QTest::newRow("unit missing in one field") << "Date;Time;A[C];B;";
        QTest::newRow("no closing bracket") << "Date;Time;A[C;";
        QString nine = "D;T;";
        for (int i = 0; i < 9; ++i) nine += QStringLiteral("v%1;").arg(i);
        QTest::newRow("nine value columns") << nine;
        // 256 columns would wrap an 8-bit count to 0.
        QString many = "D;T;";
        for (int i = 0; i < 256; ++i) many += QStringLiteral("v;");
        QTest::newRow("256 value columns") << many;
    }
    void malformedHeadersFail() {
        QFETCH(QString, line);
        CMeasuredValueArray a;
        QVERIFY(a.ParseHeader(u"D;T;x;"));
        QVERIFY(!a.ParseHeader(line));
        QCOMPARE(a.ValueColumnCount(), 1);  // a failed header leaves the previous one
    }

    void eightColumnsAreTheLimit() {
        CMeasuredValueArray a;
        QVERIFY(a.ParseHeader(u"D;T;1;2;3;4;5;6;7;8;"));
        QCOMPARE(a.ValueColumnCount(), 8);
        QVERIFY(a.ParseRecord(u"2024-05-01;12:00;1;2;3;4;5;6;7;8;"));
        QCOMPARE(a[0].values[7], 8.0);
        QVERIFY(!a.ParseRecord(u"2024-05-01;12:00;1;2;3;4;5;6;7;8;9;"));
        QCOMPARE(a.GetCount(), 1);
    }

    void recordsWithEitherDecimalSeparator() {
        // The number reader does not depend on the locale: a German default locale reads
        // points, and commas read under any locale.
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        CMeasuredValueArray a;
        QVERIFY(a.ParseHeader(u"Datum\tZeit\tT[\u00B0C]\tpH[pH]\t"));
        QVERIFY(a.ParseRecord(u"2024-05-01\t09:45\t25,3\t8,12\t\r\n"));
        QVERIFY(a.ParseRecord(u"2024-05-01\t10:00\t25.4\t-0.1\t"));
        QVERIFY(a.ParseRecord(u"2024-05-01\t10:15\t 1,5e2 \t+7abc\t"));
        QLocale::setDefault(previous);
        QCOMPARE(a.GetCount(), 3);
        QCOMPARE(a[0].values[0], 25.3);
        QCOMPARE(a[0].values[1], 8.12);
        QCOMPARE(a[1].values[0], 25.4);
        QCOMPARE(a[1].values[1], -0.1);
        QCOMPARE(a[2].values[0], 150.0);
        QCOMPARE(a[2].values[1], 7.0);
        QCOMPARE(a[0].timeStamp, QDateTime(QDate(2024, 5, 1), QTime(9, 45), Qt::UTC));
        QCOMPARE(a[2].values[2], 0.0);  // no column: 0
    }

    void missingValuesAreMissingNotZero() {
        CMeasuredValueArray a;
        QVERIFY(a.ParseHeader(u"D;T;a;b;c;"));
        QVERIFY(a.ParseRecord(u"2024-05-01;12:00;1,5;"));   // short line
        QVERIFY(a.ParseRecord(u"2024-05-01;12:01;;x;0;"));  // empty and non-numeric fields
        QVERIFY(a[0].HasValue(0));
        QVERIFY(!a[0].HasValue(1));
        QVERIFY(!a[0].HasValue(2));
        QVERIFY(!a[1].HasValue(0));
        QVERIFY(!a[1].HasValue(1));
        QVERIFY(a[1].HasValue(2));
        QCOMPARE(a[1].values[2], 0.0);
    }

    void recordsThatCannotBeRead() {
        CMeasuredValueArray a;
        QVERIFY(a.ParseHeader(u"D;T;a;"));
        QVERIFY(!a.ParseRecord(u"2024-05-01;12:00;1;2;"));  // more values than columns
        QVERIFY(!a.ParseRecord(u"2024-05-01"));             // no time
        QVERIFY(!a.ParseRecord(u"yesterday;noon;1;"));      // no time stamp that reads
        QVERIFY(!a.ParseRecord(u"2024-02-30;12:00;1;"));    // no such day
        QVERIFY(!a.ParseRecord(u"2024-02-01;24:00;1;"));    // no such time
        QCOMPARE(a.GetCount(), 0);
        QVERIFY(a.ParseRecord(u"2024-02-29;23:59:58;1e999;"));  // out-of-range number: missing
        QVERIFY(!a[0].HasValue(0));
        QCOMPARE(a[0].timeStamp.time(), QTime(23, 59, 58));
    }

    void dateAndTimeTextsRoundTrip() {
        const QDate d(2031, 12, 7);
        const QTime t(7, 5);
        QCOMPARE(CMeasuredValueArray::FormatDate(d), QStringLiteral("2031-12-07"));
        QCOMPARE(CMeasuredValueArray::FormatTime(t), QStringLiteral("07:05"));
        QDateTime out;
        QVERIFY(CMeasuredValueArray::ParseDateTime(CMeasuredValueArray::FormatDate(d),
                                                   CMeasuredValueArray::FormatTime(t), out));
        QCOMPARE(out, QDateTime(d, t, Qt::UTC));
    }

    void systemShortFormatsAreRead() {
        // main() runs the test under a German system locale.
        QDateTime out;
        QVERIFY(CMeasuredValueArray::ParseDateTime(u"01.03.04", u"12:30", out));
        QCOMPARE(out, QDateTime(QDate(2004, 3, 1), QTime(12, 30), Qt::UTC));
        QVERIFY(CMeasuredValueArray::ParseDateTime(u"01.03.2004", u"12:30:15", out));
        QCOMPARE(out, QDateTime(QDate(2004, 3, 1), QTime(12, 30, 15), Qt::UTC));
    }

    void loadsFilesWithLineEndsBlankLinesAndEncodings() {
        CMeasuredValueArray a;
        // Single-byte header as the program writes it, CR LF line ends, a blank last line.
        QByteArray latin1 =
            "Date;Time;T[\xB0"
            "C];\r\n2024-01-01;00:00;20,5;\r\n2024-01-01;00:01;21.5;\r\n\r\n";
        QCOMPARE(a.LoadFile(WriteFile("latin1.txt", latin1)), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(a.GetCount(), 2);
        QCOMPARE(a.ColumnUnit(0), QStringLiteral("\u00B0C"));
        QCOMPARE(a[1].values[0], 21.5);

        // The same header saved by an editor as UTF-8, without a final line end.
        QByteArray utf8 =
            "Date;Time;T[\xC2\xB0"
            "C];\n2024-01-01;00:00;20,5;";
        QCOMPARE(a.LoadFile(WriteFile("utf8.txt", utf8)), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(a.ColumnUnit(0), QStringLiteral("\u00B0C"));
        QCOMPARE(a.GetCount(), 1);

        QCOMPARE(a.LoadFile(WriteFile("header.txt", "D;T;x;\n")),
                 CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(a.GetCount(), 0);

        QCOMPARE(a.LoadFile(WriteFile("empty.txt", "")),
                 CMeasuredValueArray::LoadResult::Malformed);
        QCOMPARE(a.LoadFile(WriteFile("bad.txt", "D;T;x;\n2024-01-01;00:00;1;2;\n")),
                 CMeasuredValueArray::LoadResult::Malformed);
        QByteArray longLine = "D;T;x;\n2024-01-01;00:00;" + QByteArray(100000, '1') + "\n";
        QCOMPARE(a.LoadFile(WriteFile("long.txt", longLine)),
                 CMeasuredValueArray::LoadResult::Malformed);
        QCOMPARE(a.LoadFile(m_dir.filePath("none.txt")),
                 CMeasuredValueArray::LoadResult::CannotOpen);
        // No writer will ever come: refused at once instead of waiting for one.
        const QString fifo = m_dir.filePath("fifo.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(a.LoadFile(fifo), CMeasuredValueArray::LoadResult::CannotOpen);
        QCOMPARE(a.LoadFile(m_dir.path()), CMeasuredValueArray::LoadResult::CannotOpen);
    }
};

int main(int argc, char** argv) {
    // The system's short formats under test are the German ones.
    qputenv("LC_ALL", "de_DE.UTF-8");
    qputenv("LANG", "de_DE.UTF-8");
    QCoreApplication app(argc, argv);
    CMeasuredValueArrayTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "CMeasuredValueArray_test.moc"
