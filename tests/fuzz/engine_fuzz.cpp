// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as the device's answer to a read and to a write's acknowledgement wait.
// The engine must not crash, hang or grow without bound.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "link/CByteChannel.h"
#include "link/CSWMBus.h"

namespace {
class CFuzzChannel : public CByteChannel {
public:
    CFuzzChannel(const uint8_t* data, size_t size) : m_rx(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)) {}
    Kind ChannelKind() const override { return Kind::Socket; }
    // Once the bytes are used up the peer is gone, so no attempt waits out a deadline.
    bool IsUsable() const override { return !m_drained; }
    int SendAll(const QByteArray& bytes) override { return static_cast<int>(bytes.size()); }
    int ReceiveString(QByteArray& out, int max, char terminator, bool byteWise) override
    {
        out.clear();
        if (m_rx.isEmpty()) {
            m_drained = true;
            return 0;
        }
        qsizetype n = qMin<qsizetype>(max, m_rx.size());
        if (byteWise) {
            const qsizetype t = m_rx.indexOf(terminator);
            if (t >= 0 && t < n)
                n = t + 1;
        }
        out = m_rx.left(n);
        m_rx.remove(0, n);
        return static_cast<int>(n);
    }
    bool WaitForOutputQueueEmpty(int) override { return true; }
    void SetReadTimeout(int) override {}
    int ReadTimeout() const override { return 0; }
    void PurgeReceive() override {}

private:
    QByteArray m_rx;
    bool m_drained = false;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the transaction; the rest is what the device "answers".
    CFuzzChannel channel(data + 1, size - 1);
    CSWMBus bus(&channel, 1000);
    bus.SetFramePause(0);
    switch (data[0] % 3) {
    case 0: bus.Read(static_cast<int16_t>(data[0])); break;
    case 1: bus.WriteValue(static_cast<int16_t>(data[0]), -1); break;
    default: bus.WriteBytes(1228, QByteArray("abc")); break;
    }
    uint8_t code = 0;
    bus.GetAcknowledge(code);
    return 0;
}
