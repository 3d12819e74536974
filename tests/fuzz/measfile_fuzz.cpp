// SPDX-License-Identifier: GPL-3.0-or-later
// Measured-value files: the whole reader as the viewer opens a file (line limits, the
// header's character set, blank lines), then the first line through ParseHeader and every
// further line through ParseRecord, checking what a record may hold.
#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "recorder/CMeasuredValueArray.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QBuffer device;
        device.setData(bytes);
        device.open(QIODevice::ReadOnly);
        CMeasuredValueArray whole;
        if (whole.Load(device) == CMeasuredValueArray::LoadResult::Ok &&
            whole.ValueColumnCount() > CMeasuredValue::kMaxValues)
            __builtin_trap();
    }
    CMeasuredValueArray array;
    qsizetype start = 0;
    bool header = true;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = bytes.size();
        const QString line = QString::fromLatin1(bytes.mid(start, end - start));
        if (header) {
            if (!array.ParseHeader(line)) return 0;
            header = false;
        } else if (array.ParseRecord(line)) {
            const CMeasuredValue& r = array[array.GetCount() - 1];
            if (!r.timeStamp.isValid() || array.ValueColumnCount() > CMeasuredValue::kMaxValues)
                __builtin_trap();
        }
        start = end + 1;
    }
    return 0;
}
