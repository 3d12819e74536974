// SPDX-License-Identifier: GPL-3.0-or-later
// The compact byte form of measured values in the history database. A value is the decimal
// number it was read as (at most seven decimals), written as a variable-length integer of
// its digits and its decimal count: a typical reading takes two bytes, and the same value
// always gives the same bytes, so a record read twice is recognised by comparing bytes.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <vector>

class CHistoryCodec {
public:
    static void AppendVarint(QByteArray& out, quint64 v);
    // Reads one at *pos and advances it; false past the end or on an overlong number.
    static bool ReadVarint(const char* data, qsizetype size, qsizetype& pos, quint64& v);

    // NaN (and infinities, which no sensor gives) are stored as missing.
    static void AppendValue(QByteArray& out, double value);
    static bool ReadValue(const char* data, qsizetype size, qsizetype& pos, double& value);

    // A record's values in the order of its layout.
    static QByteArray EncodeValues(const double* values, int count);
    // False when the bytes do not hold exactly count values.
    static bool DecodeValues(const QByteArray& bytes, int count, std::vector<double>& values);

    // A chunk: the records of one layout and source within one span of time, in time order,
    // each its seconds after the one before (the first: after the chunk's start) and then its
    // value bytes as EncodeValues gives them. Records are packed, yet each keeps the bytes
    // by which a record read again is recognised.
    static void AppendRecord(QByteArray& chunk, quint64 step, const char* values, qsizetype size);
    struct ChunkRecord {
        qint64 offset = 0;  // seconds after the chunk's start
        qsizetype begin = 0, end = 0;  // its value bytes in the chunk
    };
    // False when the bytes are no chunk of records with count values each, spanning less
    // than span seconds.
    static bool SplitChunk(const QByteArray& chunk, int count, qint64 span, std::vector<ChunkRecord>& out);
};
