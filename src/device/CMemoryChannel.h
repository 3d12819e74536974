// SPDX-License-Identifier: GPL-3.0-or-later
// A byte channel wired straight to a device model: what the engine sends is answered at
// once, so connect sequences and pages run against the model without threads or sockets.
#pragma once

#include <QByteArray>

#include "link/CByteChannel.h"

class CDeviceModel;

class CMemoryChannel : public CByteChannel {
public:
    // kind decides the engine's failure semantics (serial: 40 when closed; socket: 80).
    explicit CMemoryChannel(CDeviceModel& model, Kind kind = Kind::Socket);

    Kind ChannelKind() const override { return m_kind; }
    bool IsUsable() const override;
    int SendAll(const QByteArray& bytes) override;
    // With nothing waiting, sleeps for the read timeout (the answer was dropped) and
    // returns nothing, as a silent line would.
    int ReceiveString(QByteArray& out, int max, char terminator, bool byteWise) override;
    bool WaitForOutputQueueEmpty(int) override { return true; }
    void SetReadTimeout(int msecs) override { m_timeout = msecs; }
    int ReadTimeout() const override { return m_timeout; }
    void PurgeReceive() override { m_rx.clear(); }

    void Close() { m_open = false; }

private:
    CDeviceModel& m_model;
    Kind m_kind;
    QByteArray m_rx;
    int m_timeout = 0;
    bool m_open = true;
};
