// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CArchive.h"

#include <QtEndian>

CArchive::CArchive(const QByteArray& bytes) : m_in(&bytes) {}

CArchive::CArchive(QByteArray* out) : m_out(out) {}

bool CArchive::Take(qsizetype n, const char*& p)
{
    if (m_failed || !m_in || n < 0 || n > m_in->size() - m_pos) {
        m_failed = true;
        return false;
    }
    p = m_in->constData() + m_pos;
    m_pos += n;
    return true;
}

bool CArchive::ReadU8(uint8_t& v)
{
    const char* p = nullptr;
    if (!Take(1, p))
        return false;
    v = static_cast<uint8_t>(*p);
    return true;
}

bool CArchive::ReadU16(uint16_t& v)
{
    const char* p = nullptr;
    if (!Take(2, p))
        return false;
    v = qFromLittleEndian<uint16_t>(p);
    return true;
}

bool CArchive::ReadU32(uint32_t& v)
{
    const char* p = nullptr;
    if (!Take(4, p))
        return false;
    v = qFromLittleEndian<uint32_t>(p);
    return true;
}

bool CArchive::ReadLength(uint32_t& length, bool& utf16)
{
    utf16 = false;
    uint8_t b = 0;
    if (!ReadU8(b))
        return false;
    if (b < 0xFF) {
        length = b;
        return true;
    }
    uint16_t w = 0;
    if (!ReadU16(w))
        return false;
    if (w == 0xFFFE) {
        // UTF-16 marker: the real length follows in the same scheme. A second marker is
        // not a length any writer produces.
        utf16 = true;
        if (!ReadU8(b))
            return false;
        if (b < 0xFF) {
            length = b;
            return true;
        }
        if (!ReadU16(w))
            return false;
        if (w == 0xFFFE) {
            m_failed = true;
            return false;
        }
    }
    if (w < 0xFFFF) {
        length = w;
        return true;
    }
    uint32_t d = 0;
    if (!ReadU32(d))
        return false;
    length = d;
    return true;
}

bool CArchive::ReadString(QString& s)
{
    uint32_t length = 0;
    bool utf16 = false;
    if (!ReadLength(length, utf16))
        return false;
    // The length is checked against the bytes that are there before anything is allocated,
    // so a damaged prefix cannot ask for gigabytes.
    const quint64 bytes = utf16 ? quint64(length) * 2 : quint64(length);
    if (bytes > quint64(Remaining())) {
        m_failed = true;
        return false;
    }
    const char* p = nullptr;
    if (!Take(static_cast<qsizetype>(bytes), p))
        return false;
    if (!utf16) {
        s = QString::fromLatin1(p, static_cast<qsizetype>(length));
        return true;
    }
    s.resize(static_cast<qsizetype>(length));
    for (uint32_t i = 0; i < length; ++i)
        s[i] = QChar(qFromLittleEndian<uint16_t>(p + 2 * i));
    return true;
}

void CArchive::WriteU8(uint8_t v)
{
    m_out->append(static_cast<char>(v));
}

void CArchive::WriteU16(uint16_t v)
{
    char b[2];
    qToLittleEndian<uint16_t>(v, b);
    m_out->append(b, 2);
}

void CArchive::WriteU32(uint32_t v)
{
    char b[4];
    qToLittleEndian<uint32_t>(v, b);
    m_out->append(b, 4);
}

void CArchive::WriteLength(uint32_t length)
{
    if (length < 0xFF) {
        WriteU8(static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<uint16_t>(length));
    } else {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(length);
    }
}

void CArchive::WriteString(const QString& s)
{
    bool latin1 = true;
    for (QChar c : s) {
        if (c.unicode() > 0xFF) {
            latin1 = false;
            break;
        }
    }
    const auto length = static_cast<uint32_t>(s.size());
    if (latin1) {
        WriteLength(length);
        m_out->append(s.toLatin1());
        return;
    }
    WriteU8(0xFF);
    WriteU16(0xFFFE);
    WriteLength(length);
    for (QChar c : s)
        WriteU16(c.unicode());
}
