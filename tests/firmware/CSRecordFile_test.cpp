// SPDX-License-Identifier: GPL-3.0-or-later
// The checking pass over firmware files.
#include <sys/stat.h>

#include <QTemporaryDir>
#include <QTest>

#include "firmware/CFirmwareTransfer.h"
#include "firmware/CSRecordFile.h"
#include "support/SRecordMaker.h"

using SRecordMaker::Line;

class CSRecordFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodesRecordsOfEveryAddressLength()
    {
        const QByteArray s1 = Line(1, 0x1234, "\x01\x02");
        const QByteArray s2 = Line(2, 0x0abcde, "\xff");
        const QByteArray s3 = Line(3, 0x12345678, QByteArray(25, '\x55'));
        const QByteArray s9 = Line(9, 0x0000, {});
        CSRecordFile f;
        QVERIFY(f.Parse(Line(0, 0, "hdr") + "\r\n" + s1 + "\r\n" + s2 + "\n  " + s3.left(8) + " " + s3.mid(8) +
                        "\t\r\n" + s9));
        QCOMPARE(f.Records().size(), 4);
        const CSRecord& r1 = f.Records()[0];
        QCOMPARE(r1.type, uint8_t(1));
        QCOMPARE(r1.address, 0x1234u);
        QCOMPARE(r1.dataBytes, 2);
        QCOMPARE(r1.bytes, SRecordMaker::Binary(s1));
        QCOMPARE(r1.lineNumber, 2);
        QCOMPARE(f.Records()[1].address, 0xabcdeu);
        QCOMPARE(f.Records()[2].address, 0x12345678u);
        QCOMPARE(f.Records()[2].bytes.size(), 32);  // the largest record the buffer holds
        QCOMPARE(f.Records()[3].dataBytes, 0);
        // The header does not count; the total is the data bytes of all other records.
        QCOMPARE(f.TotalDataBytes(), qint64(2 + 1 + 25));
        QCOMPARE(CSRecordFile::ProgressText(f.Records()[1], 3), QStringLiteral("abcde - 3"));
        QCOMPARE(CSRecordFile::ProgressText(f.Records()[2], 28, 28), QStringLiteral("12345678 - 28/28"));
        QCOMPARE(CSRecordFile::ProgressText(f.Records()[3], 27, 27), QStringLiteral("0 - 27/27"));
        // Lower-case digits are hexadecimal too.
        QVERIFY(f.Parse(s2.toLower().replace('s', 'S') + "\n" + s9));
    }

    void refusesBadFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("line");
        const QByteArray good = Line(2, 0x100, "abc") + "\r\n";
        QTest::newRow("bad checksum in the last line")
            << good + good + Line(8, 0, {}, 1) << int(CSRecordFile::BadChecksum) << 3;
        QTest::newRow("empty line") << good + "\r\n" + good << int(CSRecordFile::TooShort) << 2;
        QTest::newRow("blank line") << good + "   \r\n" << int(CSRecordFile::TooShort) << 2;
        QTest::newRow("no S") << good + "X" + good.mid(1) << int(CSRecordFile::NoRecordMark) << 2;
        QTest::newRow("type 4") << "S4" + good.mid(2) << int(CSRecordFile::BadType) << 1;
        QTest::newRow("type A") << "SA" + good.mid(2) << int(CSRecordFile::BadType) << 1;
        QTest::newRow("odd digits") << Line(2, 0x100, "abc") + "0" << int(CSRecordFile::OddDigits) << 1;
        QTest::newRow("not hex") << Line(2, 0x100, "abc").replace(6, 1, "G") << int(CSRecordFile::NotHex) << 1;
        QTest::newRow("count too large") << Line(2, 0x100, "abc").replace(2, 2, "09")
                                         << int(CSRecordFile::CountMismatch) << 1;
        QTest::newRow("count too small") << Line(2, 0x100, "abc").replace(2, 2, "05")
                                         << int(CSRecordFile::CountMismatch) << 1;
        QTest::newRow("count shorter than the address")
            << QByteArray("S30300FC") << int(CSRecordFile::CountMismatch) << 1;
        // 27 data bytes behind three address bytes: 33 bytes in binary form.
        QTest::newRow("oversized record") << Line(2, 0x100, QByteArray(27, 'x')) << int(CSRecordFile::TooLong) << 1;
        QTest::newRow("very long line") << QByteArray("S2") + QByteArray(100000, '0') << int(CSRecordFile::TooLong)
                                        << 1;
        // Whole-file rules: the boot loader restarts the controller only on the termination record.
        const QByteArray end = Line(8, 0x100, {});
        const QByteArray header = Line(0, 0, "hdr") + "\r\n";
        QTest::newRow("empty file") << QByteArray() << int(CSRecordFile::NoDataRecord) << 0;
        QTest::newRow("header only") << header << int(CSRecordFile::NoDataRecord) << 0;
        QTest::newRow("termination only") << header + end << int(CSRecordFile::NoDataRecord) << 0;
        QTest::newRow("no termination") << header + good + good << int(CSRecordFile::NoTermination) << 0;
        QTest::newRow("termination in the middle") << good + end + "\r\n" + good + end
                                                   << int(CSRecordFile::AfterTermination) << 3;
        QTest::newRow("two terminations") << good + end + "\n" + end << int(CSRecordFile::AfterTermination) << 3;
        QTest::newRow("CR LF CR is an empty line") << good + "\r" + good + end << int(CSRecordFile::TooShort) << 2;
    }
    void refusesBadFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, error);
        QFETCH(int, line);
        CSRecordFile f;
        QVERIFY(!f.Parse(content));
        QCOMPARE(int(f.GetError()), error);
        QCOMPARE(f.ErrorLine(), line);
        QVERIFY(f.Records().isEmpty());
        QVERIFY(f.ErrorText().contains(QStringLiteral("line %1").arg(line)) == (line > 0));
    }

    void acceptsEveryLineEnd_data()
    {
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void acceptsEveryLineEnd()
    {
        QFETCH(QByteArray, eol);
        CSRecordFile f;
        QVERIFY2(f.Parse(SRecordMaker::Image(100, 0x1000, 0, eol)), qPrintable(f.ErrorText()));
        QCOMPARE(f.Records().size(), 5);
        QCOMPARE(f.Records()[1].lineNumber, 3);
    }

    void headerIsNotChecked()
    {
        // A header with a wrong checksum is skipped like any other header.
        CSRecordFile f;
        const QByteArray end = Line(9, 0, {});
        QVERIFY(f.Parse(Line(0, 0, "hdr", 5) + "\n" + Line(1, 0, "x") + "\n" + end));
        QCOMPARE(f.Records().size(), 2);
        QCOMPARE(f.TotalDataBytes(), qint64(1));

        // A header naming a long file path is far beyond the record size, and still skipped;
        // only a line beyond the overall cap is refused.
        const QByteArray longName = "/home/user/firmware/" + QByteArray(200, 'k') + ".s28";
        QVERIFY(f.Parse(Line(0, 0, longName) + "\r\n" + Line(1, 0, "x") + "\r\n" + end));
        QCOMPARE(f.Records().size(), 2);
        QVERIFY(!f.Parse("S0" + QByteArray(CSRecordFile::kMaxLineChars, '0') + "\r\n"));
        QCOMPARE(f.GetError(), CSRecordFile::TooLong);
    }

    void loadsFromDisk()
    {
        QTemporaryDir dir;
        CSRecordFile f;
        QVERIFY(!f.Load(dir.filePath(QStringLiteral("missing.s19"))));
        QCOMPARE(f.GetError(), CSRecordFile::Unreadable);
        // A FIFO would block the open until a writer came; a directory is no file either.
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& special : {fifo, dir.path()}) {
            QVERIFY(!f.Load(special));
            QCOMPARE(f.GetError(), CSRecordFile::Unreadable);
        }
        QVERIFY(f.ErrorText().contains(QStringLiteral("directory")));
        const QString path = dir.filePath(QStringLiteral("fw.s28"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(SRecordMaker::Image(1000));
        file.close();
        QVERIFY(f.Load(path));
        QCOMPARE(f.TotalDataBytes(), qint64(1000));
        QCOMPARE(f.Records().size(), 40);  // 39 data records and the end record
        QCOMPARE(f.FileSize(), QFileInfo(path).size());
    }

    void progressRangeFitsSixteenBits()
    {
        QCOMPARE(CFirmwareTransfer::ProgressDivisor(0), qint64(16));
        QCOMPARE(CFirmwareTransfer::ProgressDivisor(1024 * 1024 - 16), qint64(16));
        for (qint64 size :
             {qint64(1024 * 1024), qint64(1024 * 1024 + 17), qint64(5'000'000), CSRecordFile::kMaxFileBytes}) {
            const qint64 d = CFirmwareTransfer::ProgressDivisor(size);
            QVERIFY2((size + d - 1) / d <= 65535, qPrintable(QString::number(size)));
        }
    }
};

QTEST_GUILESS_MAIN(CSRecordFileTest)
#include "CSRecordFile_test.moc"
