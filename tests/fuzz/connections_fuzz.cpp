// SPDX-License-Identifier: GPL-3.0-or-later
// "Connections.dat" reader: any bytes must load without a crash or a large allocation, and
// whatever loaded must write out and read back to the same list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/CConnectionArray.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CConnectionArray list;
    list.FromBytes(bytes);
    if (list.GetCount() > CConnectionArray::MaxCount)
        std::abort();
    const QByteArray written = list.ToBytes();
    CConnectionArray back;
    if (!back.FromBytes(written) || back.GetCount() != list.GetCount() || back.ToBytes() != written)
        std::abort();
    return 0;
}
