// SPDX-License-Identifier: GPL-3.0-or-later
// The bus protocol engine: request, poll, answer; three attempts; last value kept.
#pragma once

#include <QByteArray>
#include <cstdint>

class CByteChannel;

class CSWMBus {
public:
    enum Status : uint16_t {
        Ok = 0,
        NoAnswer = 40,
        BadAddress = 42,
        BadHeaderChecksum = 43,
        NoSoh = 51,
        NoStx = 52,
        BadNumberField = 53,
        NoValueField = 54,
        BadChecksum = 55,
        NoEot = 56,
        NoEtx = 58,
        NotAcknowledged = 64,  // added by the application layer
        BadAnswer = 65,
        NoChannel = 80,
        TooLong = 81,  // a byte string longer than a frame can carry; nothing was sent
    };

    // The channel is not owned. The timeout is applied to the channel's reads.
    CSWMBus(CByteChannel* channel, uint16_t replyTimeoutMs);
    virtual ~CSWMBus() = default;
    CSWMBus(const CSWMBus&) = delete;
    CSWMBus& operator=(const CSWMBus&) = delete;

    bool SetDeviceAddress(uint8_t address);
    uint8_t GetDeviceAddress() const { return m_deviceAddress; }
    void SetWaitForAcknowledge(bool wait) { m_waitForAcknowledge = wait; }
    bool GetWaitForAcknowledge() const { return m_waitForAcknowledge; }

    uint16_t Read(int16_t number);
    uint16_t WriteValue(int16_t number, double value);
    uint16_t WriteBytes(int16_t number, const QByteArray& bytes);

    bool GetAcknowledge(uint8_t& code) const;
    double GetSignedValue() const { return m_signedValue; }
    double GetUnsignedValue() const { return m_unsignedValue; }
    QByteArray GetTextValue() const { return m_textValue; }

    // Bus sharing: passes a frame a client built and, for a poll, collects the device's
    // answer. The client paces its own frames, so there is no pause before this one.
    uint16_t RelayFrame(const QByteArray& frame, bool collectAnswer, QByteArray& answer);

    void KeepAlive();
    uint16_t GetReplyTimeout() const { return m_replyTimeout; }

    // The 10 ms pause before each frame gives slow bus devices time to turn the line around.
    // Tests against the in-memory device model may shorten it.
    void SetFramePause(int msecs) { m_framePauseMs = msecs; }

    // A human-readable meaning of a status value, in English, for logs and the CLI.
    static const char* StatusText(uint16_t status);

private:
    uint16_t SendFrame(const QByteArray& frame);
    void SendPoll();
    uint16_t ReceiveFrame(QByteArray& answer);
    uint16_t ReceiveAcknowledge();
    uint16_t WriteField(int16_t number, const QByteArray& valueNibbles);
    uint16_t ReadAttempt(int16_t number);
    QByteArray RequestHeader() const;

    uint8_t m_lastRefusalCode = 0;
    bool m_acknowledged = false;
    uint16_t m_replyTimeout;
    uint8_t m_deviceAddress = 1;
    uint8_t m_attempts = 3;
    double m_signedValue = 0.0;
    double m_unsignedValue = 0.0;
    QByteArray m_textValue;
    uint8_t m_idleTicks = 0;
    QByteArray m_valueNibbles;
    QByteArray m_numberNibbles;
    bool m_waitForAcknowledge = true;
    int m_framePauseMs = 10;
    CByteChannel* m_channel;
};
