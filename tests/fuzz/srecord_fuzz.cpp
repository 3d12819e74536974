// SPDX-License-Identifier: GPL-3.0-or-later
// Firmware files are chosen by the user and may be anything: the checking pass must refuse
// what does not fit the boot loader's 32-byte record buffer or is no complete image, and never
// read past a line.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "firmware/CSRecordFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CSRecordFile file;
    const bool ok = file.Parse(content);
    if (!ok && (file.GetError() == CSRecordFile::NoError || !file.Records().isEmpty()))
        __builtin_trap();
    // A file that passes is a complete image: data, and its only termination record last.
    if (ok) {
        const QVector<CSRecord>& records = file.Records();
        bool data = false;
        for (qsizetype i = 0; i < records.size(); ++i) {
            data = data || records[i].type <= 3;
            if ((records[i].type >= 7) != (i + 1 == records.size()))
                __builtin_trap();
        }
        if (!data)
            __builtin_trap();
    }
    qint64 total = 0;
    for (const CSRecord& r : file.Records()) {
        const int addressLength = CSRecordFile::AddressLength(r.type);
        // Every record kept fits the buffer, matches its byte count and sums to 0xFF.
        if (addressLength < 0 || r.bytes.size() > CSRecordFile::kMaxRecordBytes || r.bytes.size() < 3 + addressLength)
            __builtin_trap();
        if (static_cast<uint8_t>(r.bytes[0]) != r.type || static_cast<uint8_t>(r.bytes[1]) != r.bytes.size() - 2)
            __builtin_trap();
        unsigned sum = 0;
        for (qsizetype i = 1; i < r.bytes.size(); ++i)
            sum += static_cast<uint8_t>(r.bytes[i]);
        if ((sum & 0xFF) != 0xFF || r.dataBytes != r.bytes.size() - 3 - addressLength)
            __builtin_trap();
        if (r.fileOffset < 0 || r.fileOffset >= content.size())
            __builtin_trap();
        total += r.dataBytes;
        (void)CSRecordFile::ProgressText(r, total, total);
    }
    if (total != file.TotalDataBytes())
        __builtin_trap();
    return 0;
}
