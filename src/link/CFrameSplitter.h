// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts the byte stream a bus client sends into whole frames (SOH ... EOT), so that a shared
// line passes one client's request and poll together and never half a frame of another.
// What a client sends is untrusted: noise before SOH is dropped and a frame that never ends
// is discarded once it passes MaxFrame bytes.
#pragma once

#include <QByteArray>
#include <cstdint>

class CFrameSplitter {
public:
    // A write of a 255-byte string is 2 * 255 value nibbles plus header and number field.
    static constexpr int MaxFrame = 600;

    enum class Kind { Poll, Read, Write, Other };
    struct Frame {
        Kind kind = Kind::Other;
        uint8_t device = 0;  // bus address the frame goes to
        int number = -1;     // parameter number of a read or write request
    };

    // Adds received bytes; returns false when bytes had to be discarded (an overlong frame).
    bool Append(const QByteArray& bytes);
    // Takes the next complete frame (trailing 0xFF fill is dropped); false when none is whole.
    bool Next(QByteArray& frame);
    qsizetype Pending() const { return m_buffer.size(); }

    static Frame Classify(const QByteArray& frame);
    // The refusal answer (NAK with a code) a device at this address would give.
    static QByteArray Refusal(uint8_t device, uint8_t code);

private:
    QByteArray m_buffer;
};
