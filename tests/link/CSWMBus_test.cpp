// SPDX-License-Identifier: GPL-3.0-or-later
// The protocol engine byte for byte: frames, validation order, attempts, acknowledgements.
#include <QTest>

#include "link/CFrameCodec.h"
#include "link/CSWMBus.h"
#include "support/CScriptedChannel.h"

namespace {
QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A read answer from device 1 for a number field and a value field, checksums computed.
QByteArray Answer(const QByteArray& numberField, const QByteArray& valueField, uint8_t src = 0x51)
{
    QByteArray a = CFrameCodec::Header(0x70, src);
    a.append('\x02');
    a.append(numberField);
    a.append(valueField);
    CFrameCodec::CloseFrame(a);
    return a;
}

const QByteArray kAck = QByteArray::fromHex("017051C20206038F04");
}  // namespace

class CSWMBusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workedExamplesByteForByte()
    {
        CScriptedChannel ch;
        CSWMBus bus(&ch, 20);
        bus.SetFramePause(0);
        bus.SetDeviceAddress(1);
        ch.QueueAnswer(Answer("\x42", "\x31\x30\x30"));
        QCOMPARE(bus.Read(2), uint16_t(0));
        QCOMPARE(ch.Sent().at(0), Hex("01 51 70 C2 02 42 05 03 D0 04 FF FF"));
        QCOMPARE(ch.Sent().at(1), Hex("01 51 70 C2 04 FF FF"));
        QCOMPARE(bus.GetUnsignedValue(), 1.0);

        ch.ClearSent();
        bus.Read(489);
        QCOMPARE(ch.Sent().at(0), Hex("01 51 70 C2 02 49 4E 41 05 03 66 04 FF FF"));

        ch.ClearSent();
        ch.QueueAnswer(kAck);
        QCOMPARE(bus.WriteValue(3, 1), uint16_t(0));
        QCOMPARE(ch.Sent().at(0), Hex("01 51 70 C2 02 43 31 03 FD 04 FF FF"));
        uint8_t code = 0xEE;
        QVERIFY(bus.GetAcknowledge(code));

        ch.ClearSent();
        ch.QueueAnswer(kAck);
        bus.WriteValue(100, -1);
        QCOMPARE(ch.Sent().at(0), Hex("01 51 70 C2 02 44 46 3F 3F 3F 3F 3F 3F 3F 3F 03 2B 04 FF FF"));

        ch.ClearSent();
        QVERIFY(bus.SetDeviceAddress(34));
        bus.Read(0);
        QCOMPARE(ch.Sent().at(0), Hex("01 72 70 E3 02 40 05 03 30 04 FF FF"));
    }

    void valueTruncationAndSigns()
    {
        QCOMPARE(CFrameCodec::EncodeNibbles(15, 0x30), QByteArray("\x3F"));
        QCOMPARE(CFrameCodec::EncodeNibbles(0, 0x30), QByteArray("\x30"));
        QCOMPARE(CFrameCodec::DecodeNibbles("\x3F", true), -1.0);
        QCOMPARE(CFrameCodec::DecodeNibbles("\x3F", false), 15.0);
        QCOMPARE(CFrameCodec::DecodeNibbles("\x3F\x3F", true), -1.0);
        QCOMPARE(CFrameCodec::DecodeNibbles("\x3F\x3F", false), 255.0);
        QCOMPARE(CFrameCodec::DecodeBytes("\x31\x34\x32"), QByteArray());
        QCOMPARE(CFrameCodec::DecodeBytes("\x31\x34"), QByteArray("A"));
        QCOMPARE(CFrameCodec::FrameChecksum(QByteArray()), uint8_t(0x20));

        CScriptedChannel ch;
        CSWMBus bus(&ch, 20);
        bus.SetFramePause(0);
        ch.SetDefaultAnswer(kAck);
        bus.WriteValue(3, 2.9);
        QCOMPARE(ch.Sent().at(0).mid(6, 2), Hex("32 03"));
        ch.ClearSent();
        bus.WriteValue(3, -2.9);
        QCOMPARE(ch.Sent().at(0).mid(6, 9), Hex("3E 3F 3F 3F 3F 3F 3F 3F 03"));
        ch.ClearSent();
        bus.WriteValue(3, 15);
        QCOMPARE(ch.Sent().at(0).mid(6, 2), Hex("3F 03"));
    }

    void everyStatusFromACraftedAnswer_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("status");
        const QByteArray good = Answer("\x42", "\x31\x30\x30");
        QTest::newRow("good") << good << 0;
        QTest::newRow("10 bytes: two nibbles") << Answer("\x42", "\x31") << 65;
        QTest::newRow("11 bytes: three nibbles") << Answer("\x42", "\x31\x30") << 65;
        // Leading bytes are skipped up to SOH; without any SOH the answer is empty.
        QTest::newRow("no SOH at all") << QByteArray("\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11\x12\x04") << 65;
        QTest::newRow("address byte 0x85 (signed)") << Answer("\x42", "\x31\x30\x30", 0x85) << 42;
        QByteArray badHdr = good;
        badHdr[3] = char(badHdr[3] + 1);
        QTest::newRow("header checksum") << badHdr << 43;
        QByteArray noStx = good;
        noStx[4] = 0x09;
        QTest::newRow("no STX") << noStx << 52;
        QTest::newRow("number class 0x5X") << Answer("\x52", "\x31\x30\x30") << 53;
        QTest::newRow("class 0x6X accepted") << Answer("\x62", "\x31\x30\x30") << 0;
        QByteArray noValue = CFrameCodec::Header(0x70, 0x51) + QByteArray("\x02\x42\x42\x42\x42\x03");
        noValue.append(char(CFrameCodec::FrameChecksum(noValue)));
        noValue.append('\x04');
        QTest::newRow("no value field") << noValue << 54;
        QTest::newRow("no ETX") << (CFrameCodec::Header(0x70, 0x51) + QByteArray("\x02\x42\x31\x30\x30\x07\x20\x04")) << 58;
        QByteArray badCk = good;
        badCk[badCk.size() - 2] = char(badCk[badCk.size() - 2] + 1);
        QTest::newRow("trailing checksum") << badCk << 55;
        QTest::newRow("no EOT after checksum") << (good.left(good.size() - 1) + QByteArray("\x41\x04")) << 56;
        QTest::newRow("another parameter") << Answer("\x43", "\x31\x30\x30") << 65;
        QTest::newRow("noise before SOH, bytes after EOT") << (QByteArray("\xFF\x33") + good + QByteArray("\x01\x02")) << 0;
    }
    void everyStatusFromACraftedAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, status);
        CScriptedChannel ch;
        CSWMBus bus(&ch, 20);
        bus.SetFramePause(0);
        ch.SetDefaultAnswer(answer);
        QCOMPARE(int(bus.Read(2)), status);
        // Three attempts on failure, one on success: each attempt is a request and a poll.
        QCOMPARE(ch.Sent().size(), status == 0 ? 2 : 6);
    }

    void failedReadKeepsPreviousResult()
    {
        CScriptedChannel ch;
        CSWMBus bus(&ch, 20);
        bus.SetFramePause(0);
        ch.QueueAnswer(Answer("\x42", "\x37\x30\x30"));
        QCOMPARE(bus.Read(2), uint16_t(0));
        QCOMPARE(bus.GetUnsignedValue(), 7.0);
        QCOMPARE(bus.Read(2), uint16_t(40));
        QCOMPARE(bus.GetUnsignedValue(), 7.0);
    }

    void acknowledgementsAndRefusals()
    {
        CScriptedChannel ch;
        CSWMBus bus(&ch, 20);
        bus.SetFramePause(0);
        uint8_t code = 0;
        // A refusal ends the write after one attempt with status 0, not acknowledged.
        QByteArray refusal = CFrameCodec::Header(0x70, 0x51) + QByteArray("\x02\x15\x37");
        CFrameCodec::CloseFrame(refusal);
        ch.QueueAnswer(refusal);
        QCOMPARE(bus.WriteValue(10, 5), uint16_t(0));
        QVERIFY(!bus.GetAcknowledge(code));
        QCOMPARE(code, uint8_t(0x37));
        QCOMPARE(ch.Sent().size(), 2);

        // A garbled acknowledgement is retried, finally 65.
        ch.ClearSent();
        ch.SetDefaultAnswer(Hex("01 70 51 C2 02 06 03 8E 04"));
        QCOMPARE(bus.WriteValue(10, 5), uint16_t(65));
        QCOMPARE(ch.Sent().size(), 6);

        // Without waiting: request only, always 0 and acknowledged.
        ch.ClearSent();
        bus.SetWaitForAcknowledge(false);
        QCOMPARE(bus.WriteValue(10, 5), uint16_t(0));
        QVERIFY(bus.GetAcknowledge(code));
        QCOMPARE(code, uint8_t(0));
        QCOMPARE(ch.Sent().size(), 1);
    }

    void addressesAndChannels()
    {
        CScriptedChannel ch;
        CSWMBus bus(&ch, 20);
        bus.SetFramePause(0);
        QVERIFY(bus.SetDeviceAddress(7));
        QVERIFY(!bus.SetDeviceAddress(35));
        QCOMPARE(bus.GetDeviceAddress(), uint8_t(7));

        CSWMBus none(nullptr, 20);
        none.SetFramePause(0);
        QCOMPARE(none.Read(0), uint16_t(80));
        QCOMPARE(none.WriteValue(0, 1), uint16_t(80));

        CScriptedChannel closedSocket(CByteChannel::Kind::Socket);
        closedSocket.SetUsable(false);
        CSWMBus s(&closedSocket, 20);
        s.SetFramePause(0);
        QCOMPARE(s.Read(0), uint16_t(80));

        CScriptedChannel closedPort(CByteChannel::Kind::Serial);
        closedPort.SetUsable(false);
        CSWMBus p(&closedPort, 20);
        p.SetFramePause(0);
        QCOMPARE(p.Read(0), uint16_t(40));

        QCOMPARE(bus.WriteBytes(1228, QByteArray(256, 'x')), uint16_t(CSWMBus::TooLong));
        QVERIFY(ch.Sent().isEmpty());
    }

    void keepAliveReadsAfterElevenIdleTicks()
    {
        CScriptedChannel ch;
        CSWMBus bus(&ch, 5);
        bus.SetFramePause(0);
        for (int i = 0; i < 10; ++i)
            bus.KeepAlive();
        QVERIFY(ch.Sent().isEmpty());
        bus.KeepAlive();
        QVERIFY(!ch.Sent().isEmpty());
        QCOMPARE(ch.Sent().at(0), Hex("01 51 70 C2 02 40 05 03 CE 04 FF FF"));
    }
};

QTEST_GUILESS_MAIN(CSWMBusTest)
#include "CSWMBus_test.moc"
