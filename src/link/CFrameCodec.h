// SPDX-License-Identifier: GPL-3.0-or-later
// Byte-level pieces of the bus frames, shared by the PC side (CSWMBus) and the device side.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace BusByte {
constexpr char SOH = 0x01, STX = 0x02, ETX = 0x03, EOT = 0x04, ENQ = 0x05, ACK = 0x06, NAK = 0x15;
constexpr uint8_t AddressBase = 0x50;
constexpr uint8_t PcAddress = 32;
constexpr uint8_t MaxDeviceAddress = 34;
constexpr uint8_t SmsModuleAddress = 34;
constexpr uint8_t NumberBase = 0x40;
constexpr uint8_t ValueBase = 0x30;
// The refusal code a shared line (korvalisd) answers for work that needs the raw line.
constexpr uint8_t SharedLineRefusal = 0xEB;
}  // namespace BusByte

class CFrameCodec {
public:
    // 8-bit sum; results below 0x20 are lifted by 0x20 so a checksum is never a control byte.
    static uint8_t FrameChecksum(const char* bytes, qsizetype count);
    static uint8_t FrameChecksum(const QByteArray& bytes) { return FrameChecksum(bytes.constData(), bytes.size()); }
    // Least significant nibble first, one byte per nibble OR base, at least one nibble.
    static QByteArray EncodeNibbles(uint32_t value, uint8_t base);
    // Sign from bit 3 of the last (highest) nibble when isSigned; only the low 32 bits survive.
    static double DecodeNibbles(const QByteArray& field, bool isSigned);
    static uint32_t DecodeNibblesRaw(const QByteArray& field);
    // Two value nibbles per byte, low nibble first.
    static QByteArray EncodeBytes(const QByteArray& bytes);
    // Odd or empty field -> empty string.
    static QByteArray DecodeBytes(const QByteArray& field);
    // SOH, dest, src, header checksum.
    static QByteArray Header(uint8_t destAddress, uint8_t srcAddress);
    // Appends ETX, checksum over everything so far, EOT.
    static void CloseFrame(QByteArray& frame);
};
