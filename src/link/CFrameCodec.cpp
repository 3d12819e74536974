// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CFrameCodec.h"

uint8_t CFrameCodec::FrameChecksum(const char* bytes, qsizetype count)
{
    uint8_t sum = 0;
    for (qsizetype i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(bytes[i]));
    if (sum < 0x20)
        sum = static_cast<uint8_t>(sum + 0x20);
    return sum;
}

QByteArray CFrameCodec::EncodeNibbles(uint32_t value, uint8_t base)
{
    QByteArray out;
    for (;;) {
        out.append(static_cast<char>((value & 0x0F) | base));
        if (value < 16)
            break;
        value >>= 4;
    }
    return out;
}

uint32_t CFrameCodec::DecodeNibblesRaw(const QByteArray& field)
{
    uint32_t acc = 0;
    for (qsizetype i = field.size() - 1; i >= 0; --i)
        acc = (acc << 4) | (static_cast<uint8_t>(field[i]) & 0x0F);
    return acc;
}

double CFrameCodec::DecodeNibbles(const QByteArray& field, bool isSigned)
{
    if (field.isEmpty())
        return 0.0;
    uint32_t acc = 0;
    if (isSigned && (static_cast<uint8_t>(field.back()) & 0x08))
        acc = 0xFFFFFFFFu;
    for (qsizetype i = field.size() - 1; i >= 0; --i)
        acc = (acc << 4) | (static_cast<uint8_t>(field[i]) & 0x0F);
    return isSigned ? static_cast<double>(static_cast<int32_t>(acc)) : static_cast<double>(acc);
}

QByteArray CFrameCodec::EncodeBytes(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const uint8_t b = static_cast<uint8_t>(c);
        out.append(static_cast<char>((b & 0x0F) | BusByte::ValueBase));
        out.append(static_cast<char>((b >> 4) | BusByte::ValueBase));
    }
    return out;
}

QByteArray CFrameCodec::DecodeBytes(const QByteArray& field)
{
    if (field.isEmpty() || (field.size() % 2) != 0)
        return {};
    QByteArray out;
    out.reserve(field.size() / 2);
    for (qsizetype k = 0; k + 1 < field.size(); k += 2) {
        const uint8_t lo = static_cast<uint8_t>(field[k]) & 0x0F;
        const uint8_t hi = static_cast<uint8_t>(field[k + 1]);
        out.append(static_cast<char>(((hi << 4) | lo) & 0xFF));
    }
    return out;
}

QByteArray CFrameCodec::Header(uint8_t destAddress, uint8_t srcAddress)
{
    QByteArray h;
    h.append(BusByte::SOH);
    h.append(static_cast<char>(destAddress));
    h.append(static_cast<char>(srcAddress));
    h.append(static_cast<char>(FrameChecksum(h)));
    return h;
}

void CFrameCodec::CloseFrame(QByteArray& frame)
{
    frame.append(BusByte::ETX);
    frame.append(static_cast<char>(FrameChecksum(frame)));
    frame.append(BusByte::EOT);
}
