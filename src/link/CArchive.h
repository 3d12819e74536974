// SPDX-License-Identifier: GPL-3.0-or-later
// The binary record format of the stored data files ("Connections.dat", "EmailSettings.dat"):
// little-endian integers and length-prefixed strings. Works in one direction per object,
// like the records' Serialize operations expect.
//
// String prefix: length < 255 as one byte; else 0xFF and a 16-bit length when < 0xFFFE;
// else 0xFF, 0xFFFF and a 32-bit length. 0xFF 0xFFFE marks a UTF-16 string, followed by
// its length in the same scheme and that many 16-bit characters.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class CArchive {
public:
    // Reading: the bytes are referenced, not copied; keep them alive.
    explicit CArchive(const QByteArray& bytes);
    // Storing: appends to out.
    explicit CArchive(QByteArray* out);

    bool IsStoring() const { return m_out != nullptr; }
    bool IsLoading() const { return m_out == nullptr; }
    // A read ran past the end or met an impossible length; every later read fails too.
    bool Failed() const { return m_failed; }
    qsizetype Remaining() const { return m_in ? m_in->size() - m_pos : 0; }
    qsizetype Position() const { return m_pos; }

    bool ReadU8(uint8_t& v);
    bool ReadU16(uint16_t& v);
    bool ReadU32(uint32_t& v);
    // Single-byte strings are ISO-8859-1; UTF-16 strings are taken as they are.
    bool ReadString(QString& s);

    void WriteU8(uint8_t v);
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    // ISO-8859-1 when every character fits; otherwise the UTF-16 form, so no letter is lost.
    void WriteString(const QString& s);

    // Either direction in one call, for Serialize operations.
    bool Transfer(uint8_t& v) { return IsStoring() ? (WriteU8(v), true) : ReadU8(v); }
    bool Transfer(uint32_t& v) { return IsStoring() ? (WriteU32(v), true) : ReadU32(v); }
    bool Transfer(QString& s) { return IsStoring() ? (WriteString(s), true) : ReadString(s); }

private:
    bool Take(qsizetype n, const char*& p);
    bool ReadLength(uint32_t& length, bool& utf16);
    void WriteLength(uint32_t length);

    const QByteArray* m_in = nullptr;
    QByteArray* m_out = nullptr;
    qsizetype m_pos = 0;
    bool m_failed = false;
};
