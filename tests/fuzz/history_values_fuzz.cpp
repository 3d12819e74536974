// SPDX-License-Identifier: GPL-3.0-or-later
// The value bytes of a history database come from a file that may be damaged: decoding must
// stay within them, and what decodes must encode and decode again to the same values. Read as
// a chunk of records, each record lies within its day and the bytes.
#include <QByteArray>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "recorder/CHistoryCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const int count = data[0] % 17;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    // The same bytes as a chunk of records: each lies within the day and the bytes, in order.
    std::vector<CHistoryCodec::ChunkRecord> split;
    if (CHistoryCodec::SplitChunk(bytes, count, 86400, split)) {
        qint64 offset = 0;
        qsizetype end = 0;
        for (const CHistoryCodec::ChunkRecord& r : split) {
            if (r.offset < offset || r.offset >= 86400 || r.begin <= end || r.end < r.begin) __builtin_trap();
            offset = r.offset;
            end = r.end;
        }
        if (end != bytes.size()) __builtin_trap();
    }
    std::vector<double> values;
    if (!CHistoryCodec::DecodeValues(bytes, count, values)) return 0;
    std::vector<double> again;
    if (!CHistoryCodec::DecodeValues(CHistoryCodec::EncodeValues(values.data(), count), count, again))
        __builtin_trap();
    for (int k = 0; k < count; ++k) {
        const double a = values[static_cast<size_t>(k)], b = again[static_cast<size_t>(k)];
        if (std::isnan(a) != std::isnan(b)) __builtin_trap();
        if (!std::isnan(a) && std::abs(a - b) > 1e-6 * std::max(1.0, std::abs(a))) __builtin_trap();
    }
    return 0;
}
