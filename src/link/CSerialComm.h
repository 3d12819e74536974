// SPDX-License-Identifier: GPL-3.0-or-later
// Serial port channel: 8N1, DTR and RTS raised, exclusive open, blocking reads with a timeout.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "link/CByteChannel.h"

class QSerialPort;

// Line settings of the serial port.
struct CSerialCommState {
    uint32_t baudRate = 9600;
    uint8_t byteSize = 8;
    uint8_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
    uint16_t rtsControl = 1;
};

class CSerialComm : public CByteChannel {
public:
    explicit CSerialComm(const QString& deviceName);
    ~CSerialComm() override;

    bool Open();
    bool Close();
    bool IsOpen() const;
    // Plain-words reason of the last failed Open, for the user (permissions, busy, missing).
    QString LastError() const { return m_lastError; }
    QString DeviceName() const { return m_deviceName; }

    bool SetState(const CSerialCommState& state);
    bool GetState(CSerialCommState& state) const;
    void SetTimeouts(int msecs) { m_readTimeout = msecs; }
    int GetTimeout() const { return m_readTimeout; }

    int Write(const char* bytes, int count);
    int WriteString(const QByteArray& bytes) { return Write(bytes.constData(), static_cast<int>(bytes.size())); }
    int Read(char* buffer, int max, char terminator, bool byteWise);
    int ReadString(QByteArray& out, int max, char terminator, bool byteWise);
    bool OutputQueueEmpty() const;
    bool SetDTR(bool on);
    bool SetRTS(bool on);

    // CByteChannel
    Kind ChannelKind() const override { return Kind::Serial; }
    bool IsUsable() const override { return IsOpen(); }
    int SendAll(const QByteArray& bytes) override { return WriteString(bytes); }
    int ReceiveString(QByteArray& out, int max, char terminator, bool byteWise) override
    {
        return ReadString(out, max, terminator, byteWise);
    }
    bool WaitForOutputQueueEmpty(int msecs) override;
    void SetReadTimeout(int msecs) override { SetTimeouts(msecs); }
    int ReadTimeout() const override { return m_readTimeout; }
    void PurgeReceive() override;

private:
    QString m_deviceName;
    QString m_lastError;
    int m_readTimeout = 0;
    std::unique_ptr<QSerialPort> m_port;
};
