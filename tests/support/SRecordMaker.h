// SPDX-License-Identifier: GPL-3.0-or-later
// Builds S-record firmware files for tests and benchmarks.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace SRecordMaker {
// One line without its line end: "S" type, count, address, data, checksum (upper case).
inline QByteArray Line(int type, uint32_t address, const QByteArray& data, int checksumDelta = 0)
{
    const int addressLength = (type == 0 || type == 1 || type == 5 || type == 9) ? 2
                            : (type == 2 || type == 6 || type == 8) ? 3 : 4;
    QByteArray bytes;
    bytes.append(static_cast<char>(addressLength + data.size() + 1));
    for (int i = addressLength - 1; i >= 0; --i)
        bytes.append(static_cast<char>((address >> (8 * i)) & 0xFF));
    bytes.append(data);
    unsigned sum = 0;
    for (char c : bytes)
        sum += static_cast<uint8_t>(c);
    bytes.append(static_cast<char>((~sum + checksumDelta) & 0xFF));
    return "S" + QByteArray::number(type) + bytes.toHex().toUpper();
}

// The binary record the boot loader receives for a line.
inline QByteArray Binary(const QByteArray& line)
{
    return QByteArray(1, static_cast<char>(line[1] - '0')) + QByteArray::fromHex(line.mid(2));
}

// A firmware image of size bytes from address base in S2 records of 26 data bytes, with a
// header and an S8 end record; the byte at offset i is (i * 7 + seed) & 0xFF.
inline QByteArray Image(int size, uint32_t base = 0x1000, int seed = 0, const QByteArray& eol = "\r\n")
{
    QByteArray file = Line(0, 0, "KORVALIS") + eol;
    for (int off = 0; off < size; off += 26) {
        QByteArray data;
        for (int i = off; i < qMin(size, off + 26); ++i)
            data.append(static_cast<char>((i * 7 + seed) & 0xFF));
        file += Line(2, base + off, data) + eol;
    }
    file += Line(8, base, {}) + eol;
    return file;
}
}  // namespace SRecordMaker
