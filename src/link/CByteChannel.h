// SPDX-License-Identifier: GPL-3.0-or-later
// A byte channel that carries the bus protocol: serial port, TCP socket or, in tests,
// an in-memory link to the device model. The engine only needs these few operations.
#pragma once

#include <QByteArray>

class CByteChannel {
public:
    enum class Kind { Serial, Socket };

    virtual ~CByteChannel() = default;

    // Serial and socket channels fail differently when unusable (no answer vs. no channel)
    // and only a serial port has a transmit queue to drain before listening.
    virtual Kind ChannelKind() const = 0;
    // Port open, or socket marked connected.
    virtual bool IsUsable() const = 0;
    // Writes all bytes; returns the count written (0 on error).
    virtual int SendAll(const QByteArray& bytes) = 0;
    // Empties out, then reads up to max bytes. byteWise: one byte at a time until max,
    // a byte equal to terminator (included), or no byte within the read timeout.
    // Otherwise one read of what is waiting (or what arrives within the timeout).
    virtual int ReceiveString(QByteArray& out, int max, char terminator, bool byteWise) = 0;
    // Blocks until the transmit queue is empty or msecs have passed; true when empty.
    virtual bool WaitForOutputQueueEmpty(int msecs) = 0;
    virtual void SetReadTimeout(int msecs) = 0;
    virtual int ReadTimeout() const = 0;
    // Discards whatever has been received and not read.
    virtual void PurgeReceive() = 0;
};
