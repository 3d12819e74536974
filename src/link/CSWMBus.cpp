// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CSWMBus.h"

#include <QDeadlineTimer>
#include <QThread>
#include <cmath>

#include "link/CByteChannel.h"
#include "link/CFrameCodec.h"

using namespace BusByte;

namespace {
constexpr int kChunkMax = 256;

uint32_t NumberAsField(int16_t number)
{
    // Sign-extended to 32 bits, as the device expects.
    return static_cast<uint32_t>(static_cast<int32_t>(number));
}
}  // namespace

CSWMBus::CSWMBus(CByteChannel* channel, uint16_t replyTimeoutMs)
    : m_replyTimeout(replyTimeoutMs), m_channel(channel)
{
    if (m_channel)
        m_channel->SetReadTimeout(replyTimeoutMs);
}

bool CSWMBus::SetDeviceAddress(uint8_t address)
{
    if (address > MaxDeviceAddress)
        return false;
    m_deviceAddress = address;
    return true;
}

QByteArray CSWMBus::RequestHeader() const
{
    return CFrameCodec::Header(m_deviceAddress + AddressBase, PcAddress + AddressBase);
}

uint16_t CSWMBus::SendFrame(const QByteArray& frame)
{
    m_idleTicks = 0;
    if (m_framePauseMs > 0)
        QThread::msleep(static_cast<unsigned long>(m_framePauseMs));
    if (!m_channel || !m_channel->IsUsable())
        return NoChannel;
    m_channel->SendAll(frame);
    return Ok;
}

uint16_t CSWMBus::RelayFrame(const QByteArray& frame, bool collectAnswer, QByteArray& answer)
{
    answer.clear();
    m_idleTicks = 0;
    if (!m_channel || !m_channel->IsUsable())
        return NoChannel;
    m_channel->SendAll(frame);
    return collectAnswer ? ReceiveFrame(answer) : Ok;
}

void CSWMBus::SendPoll()
{
    QByteArray poll = RequestHeader();
    poll.append(EOT);
    poll.append('\xFF');
    poll.append('\xFF');
    SendFrame(poll);
}

uint16_t CSWMBus::ReceiveFrame(QByteArray& answer)
{
    answer.clear();
    const QDeadlineTimer deadline(m_replyTimeout);
    if (!m_channel)
        return NoChannel;
    if (m_channel->ChannelKind() == CByteChannel::Kind::Serial) {
        // A closed port never drains: the wait runs to the deadline and the read reports no answer.
        if (!m_channel->IsUsable()) {
            QThread::msleep(static_cast<unsigned long>(deadline.remainingTime()));
            return NoAnswer;
        }
        m_channel->WaitForOutputQueueEmpty(static_cast<int>(deadline.remainingTime()));
    }
    if (deadline.hasExpired())
        return NoAnswer;
    for (;;) {
        if (!m_channel->IsUsable())
            return NoChannel;
        QByteArray chunk;
        m_channel->ReceiveString(chunk, kChunkMax, EOT, true);
        if (!chunk.isEmpty()) {
            answer.append(chunk);
            const qsizetype eot = answer.indexOf(EOT);
            if (eot >= 0) {
                answer.truncate(eot + 1);
                const qsizetype soh = answer.indexOf(SOH);
                answer.remove(0, soh < 0 ? answer.size() : soh);
                return Ok;
            }
        }
        if (deadline.hasExpired())
            return NoAnswer;
        // Bound the collected bytes: a device that never sends EOT must not grow the buffer.
        if (answer.size() > 4 * kChunkMax)
            answer.remove(0, answer.size() - kChunkMax);
    }
}

uint16_t CSWMBus::ReceiveAcknowledge()
{
    QByteArray answer;
    const uint16_t status = ReceiveFrame(answer);
    if (status != Ok)
        return status;

    const uint8_t dest = m_deviceAddress + AddressBase;
    QByteArray expected = CFrameCodec::Header(PcAddress + AddressBase, dest);
    expected.append(STX);
    expected.append(ACK);
    CFrameCodec::CloseFrame(expected);
    if (answer == expected) {
        m_acknowledged = true;
        return Ok;
    }
    if (answer.size() != 10)
        return BadAnswer;
    m_lastRefusalCode = static_cast<uint8_t>(answer[6]);
    QByteArray refusal = CFrameCodec::Header(PcAddress + AddressBase, dest);
    refusal.append(STX);
    refusal.append(NAK);
    refusal.append(static_cast<char>(m_lastRefusalCode));
    CFrameCodec::CloseFrame(refusal);
    if (answer == refusal) {
        m_acknowledged = false;
        return Ok;
    }
    return BadAnswer;
}

uint16_t CSWMBus::WriteField(int16_t number, const QByteArray& valueNibbles)
{
    uint16_t status = Ok;
    for (int attempt = 0; attempt < m_attempts; ++attempt) {
        m_numberNibbles = CFrameCodec::EncodeNibbles(NumberAsField(number), NumberBase);
        m_valueNibbles = valueNibbles;
        QByteArray frame = RequestHeader();
        frame.append(STX);
        frame.append(m_numberNibbles);
        frame.append(m_valueNibbles);
        CFrameCodec::CloseFrame(frame);
        frame.append('\xFF');
        frame.append('\xFF');
        SendFrame(frame);
        if (m_waitForAcknowledge) {
            SendPoll();
            status = ReceiveAcknowledge();
        } else {
            m_acknowledged = true;
            m_lastRefusalCode = 0;
            status = Ok;
        }
        if (status == Ok)
            return Ok;
    }
    return status;
}

uint16_t CSWMBus::WriteValue(int16_t number, double value)
{
    // Truncated toward zero to 64 bits, low 32 bits sent: negatives go out as two's complement.
    int64_t whole = 0;
    if (std::isfinite(value) && std::fabs(value) < 9.2e18)
        whole = static_cast<int64_t>(value);
    const uint32_t low = static_cast<uint32_t>(static_cast<uint64_t>(whole) & 0xFFFFFFFFu);
    return WriteField(number, CFrameCodec::EncodeNibbles(low, ValueBase));
}

uint16_t CSWMBus::WriteBytes(int16_t number, const QByteArray& bytes)
{
    // The count travels in eight bits on the device side; a longer string would be cut silently.
    if (bytes.size() > 255)
        return TooLong;
    // The bus carries no empty field; an empty text is its end byte alone, as the
    // controller answers it.
    return WriteField(number, CFrameCodec::EncodeBytes(bytes.isEmpty() ? QByteArray(1, '\0') : bytes));
}

uint16_t CSWMBus::ReadAttempt(int16_t number)
{
    m_numberNibbles = CFrameCodec::EncodeNibbles(NumberAsField(number), NumberBase);
    QByteArray frame = RequestHeader();
    frame.append(STX);
    frame.append(m_numberNibbles);
    frame.append(ENQ);
    CFrameCodec::CloseFrame(frame);
    frame.append('\xFF');
    frame.append('\xFF');
    SendFrame(frame);
    SendPoll();

    QByteArray a;
    const uint16_t status = ReceiveFrame(a);
    if (status != Ok)
        return status;

    const auto at = [&a](qsizetype i) { return static_cast<uint8_t>(a[i]); };
    if (a.size() < 12)
        return BadAnswer;
    if (at(0) != SOH)
        return NoSoh;
    // The device compares as signed bytes, so 0x80..0xFF fail like values below 0x50.
    if (static_cast<int8_t>(a[1]) < 0x50 || static_cast<int8_t>(a[2]) < 0x50)
        return BadAddress;
    if (at(3) != CFrameCodec::FrameChecksum(a.constData(), 3))
        return BadHeaderChecksum;
    if (at(4) != STX)
        return NoStx;
    const uint8_t cls = at(5) & 0xF0;
    if (cls != 0x40 && cls != 0x60)
        return BadNumberField;

    qsizetype i = 5;
    while (i < a.size() && (at(i) & cls) == cls)
        ++i;
    const QByteArray numberField = a.mid(5, i - 5);
    if (i >= a.size() || (at(i) & 0xF0) != 0x30)
        return NoValueField;
    const qsizetype valueStart = i;
    while (i < a.size() && (at(i) & 0x30) == 0x30)
        ++i;
    const QByteArray valueField = a.mid(valueStart, i - valueStart);
    if (i >= a.size() || at(i) != ETX)
        return NoEtx;
    ++i;
    if (i >= a.size() || at(i) != CFrameCodec::FrameChecksum(a.constData(), i))
        return BadChecksum;
    ++i;
    if (i >= a.size() || at(i) != EOT)
        return NoEot;

    m_numberNibbles = numberField;
    m_valueNibbles = valueField;
    const uint32_t echoed = CFrameCodec::DecodeNibblesRaw(numberField);
    if ((echoed & 0xFFFF) != static_cast<uint16_t>(number))
        return BadAnswer;

    m_textValue = CFrameCodec::DecodeBytes(valueField);
    m_unsignedValue = CFrameCodec::DecodeNibbles(valueField, false);
    m_signedValue = CFrameCodec::DecodeNibbles(valueField, true);
    return Ok;
}

uint16_t CSWMBus::Read(int16_t number)
{
    uint16_t status = Ok;
    for (int attempt = 0; attempt < m_attempts; ++attempt) {
        status = ReadAttempt(number);
        if (status == Ok)
            return Ok;
    }
    return status;
}

bool CSWMBus::GetAcknowledge(uint8_t& code) const
{
    code = m_lastRefusalCode;
    return m_acknowledged;
}

void CSWMBus::KeepAlive()
{
    if (++m_idleTicks > 10) {
        Read(0);
        m_idleTicks = 0;
    }
}

const char* CSWMBus::StatusText(uint16_t status)
{
    switch (status) {
    case Ok: return "success";
    case NoAnswer: return "no complete answer within the reply timeout";
    case BadAddress: return "answer has an invalid address byte";
    case BadHeaderChecksum: return "answer header checksum is wrong";
    case NoSoh: return "answer does not begin with SOH";
    case NoStx: return "answer has no STX after the header";
    case BadNumberField: return "answer has no parameter-number field";
    case NoValueField: return "answer has no value field";
    case BadChecksum: return "answer checksum is missing or wrong";
    case NoEot: return "answer has no EOT after the checksum";
    case NoEtx: return "answer has no ETX after the value field";
    case NotAcknowledged: return "the device did not confirm the write";
    case BadAnswer: return "answer too short, not recognised, or for another parameter";
    case NoChannel: return "no channel or no connection";
    case TooLong: return "byte string longer than 255 bytes";
    default: return "unknown status";
    }
}
