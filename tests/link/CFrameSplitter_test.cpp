// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting a shared client's byte stream into frames and telling them apart.
#include <QTest>

#include "link/CFrameCodec.h"
#include "link/CFrameSplitter.h"

namespace {
QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}
const QByteArray kRead2 = Hex("01 51 70 C2 02 42 05 03 D0 04");
const QByteArray kPoll = Hex("01 51 70 C2 04");
const QByteArray kWrite3 = Hex("01 51 70 C2 02 43 31 03 FD 04");
const QByteArray kFill = Hex("FF FF");
}  // namespace

class CFrameSplitterTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitsWhateverTheChunks_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<int>("left");
        QTest::newRow("request and poll in one write")
            << QList<QByteArray>{kRead2 + kFill + kPoll + kFill} << QList<QByteArray>{kRead2, kPoll} << 0;
        QTest::newRow("byte by byte") << [] {
            QList<QByteArray> bytes;
            for (char c : kWrite3 + kFill)
                bytes << QByteArray(1, c);
            return bytes;
        }() << QList<QByteArray>{kWrite3} << 0;
        QTest::newRow("noise before SOH is dropped")
            << QList<QByteArray>{Hex("FF 30 04 99") + kPoll} << QList<QByteArray>{kPoll} << 0;
        QTest::newRow("a half frame waits")
            << QList<QByteArray>{kPoll + kRead2.left(6)} << QList<QByteArray>{kPoll} << 6;
        QTest::newRow("an endless frame is discarded, the next one kept")
            << QList<QByteArray>{QByteArray(1, '\x01') + QByteArray(CFrameSplitter::MaxFrame + 50, '\x31'), kPoll}
            << QList<QByteArray>{kPoll} << 0;
        QTest::newRow("a run of SOH bytes stays bounded") << QList<QByteArray>(40, QByteArray(64, '\x01'))
                                                          << QList<QByteArray>{} << CFrameSplitter::MaxFrame;
    }
    void splitsWhateverTheChunks()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QList<QByteArray>, frames);
        QFETCH(int, left);
        CFrameSplitter splitter;
        QList<QByteArray> got;
        for (const QByteArray& chunk : chunks) {
            splitter.Append(chunk);
            QByteArray f;
            while (splitter.Next(f))
                got << f;
        }
        QCOMPARE(got, frames);
        QCOMPARE(int(splitter.Pending()), left);
        QVERIFY(splitter.Pending() <= CFrameSplitter::MaxFrame);
    }

    void classifies_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("number");
        using K = CFrameSplitter::Kind;
        QTest::newRow("poll") << kPoll << int(K::Poll) << 1 << -1;
        QTest::newRow("read 2") << kRead2 << int(K::Read) << 1 << 2;
        QTest::newRow("read 489") << Hex("01 51 70 C2 02 49 4E 41 05 03 66 04") << int(K::Read) << 1 << 489;
        QTest::newRow("write 3") << kWrite3 << int(K::Write) << 1 << 3;
        QTest::newRow("read 0 of the SMS module") << Hex("01 72 70 E3 02 40 05 03 30 04") << int(K::Read) << 34 << 0;
        QByteArray boot = CFrameCodec::Header(0x51, 0x70);
        boot.append('\x02');
        boot.append(CFrameCodec::EncodeNibbles(5003, 0x40));
        boot.append('\x30');
        CFrameCodec::CloseFrame(boot);
        QTest::newRow("write 5003") << boot << int(K::Write) << 1 << 5003;
        QTest::newRow("too short") << Hex("01 51 04") << int(K::Other) << 0 << -1;
        QTest::newRow("address byte below the base") << Hex("01 20 70 C2 04") << int(K::Other) << 0 << -1;
        QTest::newRow("no number field") << Hex("01 51 70 C2 02 05 03 D0 04") << int(K::Other) << 1 << -1;
    }
    void classifies()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, kind);
        QFETCH(int, device);
        QFETCH(int, number);
        const CFrameSplitter::Frame f = CFrameSplitter::Classify(frame);
        QCOMPARE(int(f.kind), kind);
        if (kind != int(CFrameSplitter::Kind::Other))
            QCOMPARE(int(f.device), device);
        QCOMPARE(f.number, number);
    }

    void refusalIsWhatADeviceWouldSend()
    {
        // The same bytes the engine expects of a refusal from device 1 with code 7.
        QCOMPARE(CFrameSplitter::Refusal(1, 7), Hex("01 70 51 C2 02 15 07 03 A5 04"));
    }
};

QTEST_GUILESS_MAIN(CFrameSplitterTest)
#include "CFrameSplitter_test.moc"
