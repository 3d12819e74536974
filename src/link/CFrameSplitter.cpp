// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CFrameSplitter.h"

#include "link/CFrameCodec.h"

using namespace BusByte;

bool CFrameSplitter::Append(const QByteArray& bytes)
{
    m_buffer.append(bytes);
    const qsizetype soh = m_buffer.indexOf(SOH);
    m_buffer.remove(0, soh < 0 ? m_buffer.size() : soh);
    bool kept = true;
    // No end within a frame's length: resynchronise on the next SOH after the first byte, and
    // again while what is left is still overlong, or a run of SOH bytes would grow the buffer.
    while (m_buffer.size() > MaxFrame && m_buffer.indexOf(EOT) < 0) {
        const qsizetype next = m_buffer.indexOf(SOH, 1);
        m_buffer.remove(0, next < 0 ? m_buffer.size() : next);
        kept = false;
    }
    return kept;
}

bool CFrameSplitter::Next(QByteArray& frame)
{
    for (;;) {
        const qsizetype soh = m_buffer.indexOf(SOH);
        m_buffer.remove(0, soh < 0 ? m_buffer.size() : soh);
        const qsizetype eot = m_buffer.indexOf(EOT);
        if (eot < 0)
            return false;
        frame = m_buffer.left(eot + 1);
        m_buffer.remove(0, eot + 1);
        if (frame.size() <= MaxFrame)
            return true;
    }
}

CFrameSplitter::Frame CFrameSplitter::Classify(const QByteArray& f)
{
    Frame info;
    if (f.size() < 5 || f[0] != SOH || static_cast<uint8_t>(f[1]) < AddressBase)
        return info;
    info.device = static_cast<uint8_t>(static_cast<uint8_t>(f[1]) - AddressBase);
    if (f.size() == 5 && f[4] == EOT) {
        info.kind = Kind::Poll;
        return info;
    }
    if (f[4] != STX)
        return info;
    qsizetype i = 5;
    QByteArray number;
    while (i < f.size() && (static_cast<uint8_t>(f[i]) & 0xF0) == NumberBase)
        number.append(f[i++]);
    if (number.isEmpty() || number.size() > 8 || i >= f.size())
        return info;
    info.number = static_cast<int>(static_cast<int16_t>(CFrameCodec::DecodeNibblesRaw(number) & 0xFFFF));
    info.kind = f[i] == ENQ ? Kind::Read : Kind::Write;
    return info;
}

QByteArray CFrameSplitter::Refusal(uint8_t device, uint8_t code)
{
    QByteArray frame = CFrameCodec::Header(PcAddress + AddressBase, static_cast<uint8_t>(device + AddressBase));
    frame.append(STX);
    frame.append(NAK);
    frame.append(static_cast<char>(code));
    CFrameCodec::CloseFrame(frame);
    return frame;
}
