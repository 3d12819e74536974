// SPDX-License-Identifier: GPL-3.0-or-later
#include "recorder/CHistoryCodec.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMaxDecimals = 7;  // 3 bits; the code "0 with 7 decimals" marks a missing value
constexpr quint64 kMissing = kMaxDecimals;
// Digits beyond this are no measurement; a larger magnitude is stored rounded.
constexpr double kMaxMantissa = 9.0e15;
const double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7};

quint64 ZigZag(qint64 v) {
    return (static_cast<quint64>(v) << 1) ^ static_cast<quint64>(v >> 63);
}
qint64 UnZigZag(quint64 v) {
    return static_cast<qint64>(v >> 1) ^ -static_cast<qint64>(v & 1);
}
}  // namespace

void CHistoryCodec::AppendVarint(QByteArray& out, quint64 v) {
    while (v >= 0x80) {
        out.append(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.append(static_cast<char>(v));
}

bool CHistoryCodec::ReadVarint(const char* data, qsizetype size, qsizetype& pos, quint64& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (pos >= size) return false;
        const auto b = static_cast<quint8>(data[pos++]);
        v |= static_cast<quint64>(b & 0x7F) << shift;
        if (!(b & 0x80)) return true;
    }
    return false;
}

void CHistoryCodec::AppendValue(QByteArray& out, double value) {
    if (!std::isfinite(value)) {
        AppendVarint(out, kMissing);
        return;
    }
    // The fewest decimals that give the value back: the text it was read from.
    int d = 0;
    double m = std::round(value);
    for (; d < kMaxDecimals; ++d) {
        m = std::round(value * kPow10[d]);
        if (std::abs(m / kPow10[d] - value) <= 1e-9 * std::max(1.0, std::abs(value))) break;
    }
    if (d == kMaxDecimals) m = std::round(value * kPow10[--d]);
    while (std::abs(m) > kMaxMantissa && d > 0) m = std::round(value * kPow10[--d]);
    if (std::abs(m) > kMaxMantissa) m = std::copysign(kMaxMantissa, m);
    const qint64 digits = static_cast<qint64>(m);
    AppendVarint(out, (ZigZag(digits) << 3) | static_cast<quint64>(digits == 0 ? 0 : d));
}

bool CHistoryCodec::ReadValue(const char* data, qsizetype size, qsizetype& pos, double& value) {
    quint64 code = 0;
    if (!ReadVarint(data, size, pos, code)) return false;
    if (code == kMissing) {
        value = std::nan("");
        return true;
    }
    const int d = static_cast<int>(code & 7);
    const qint64 digits = UnZigZag(code >> 3);
    // More digits than any value is written with: the bytes are damaged.
    if (std::abs(static_cast<double>(digits)) > kMaxMantissa) return false;
    value = static_cast<double>(digits) / kPow10[d];
    return true;
}

QByteArray CHistoryCodec::EncodeValues(const double* values, int count) {
    QByteArray out;
    out.reserve(2 * count);
    for (int k = 0; k < count; ++k) AppendValue(out, values[k]);
    return out;
}

bool CHistoryCodec::DecodeValues(const QByteArray& bytes, int count, std::vector<double>& values) {
    values.assign(static_cast<size_t>(std::max(0, count)), std::nan(""));
    qsizetype pos = 0;
    for (int k = 0; k < count; ++k)
        if (!ReadValue(bytes.constData(), bytes.size(), pos, values[static_cast<size_t>(k)]))
            return false;
    return pos == bytes.size();
}

void CHistoryCodec::AppendRecord(QByteArray& chunk, quint64 step, const char* values, qsizetype size) {
    AppendVarint(chunk, step);
    chunk.append(values, size);
}

bool CHistoryCodec::SplitChunk(const QByteArray& chunk, int count, qint64 span, std::vector<ChunkRecord>& out) {
    out.clear();
    const char* d = chunk.constData();
    const qsizetype n = chunk.size();
    qsizetype pos = 0;
    qint64 offset = 0;
    while (pos < n) {
        quint64 step = 0;
        if (!ReadVarint(d, n, pos, step) || step >= static_cast<quint64>(span - offset)) return false;
        ChunkRecord r;
        offset += static_cast<qint64>(step);
        r.offset = offset;
        r.begin = pos;
        double value = 0;
        for (int k = 0; k < count; ++k)
            if (!ReadValue(d, n, pos, value)) return false;
        r.end = pos;
        out.push_back(r);
    }
    return true;
}
