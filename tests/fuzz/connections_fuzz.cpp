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
    // Whatever is kept is a connection the dialogs could have made; damage is never used.
    for (int i = 0; i < list.GetCount(); ++i) {
        const CConnection c = list.GetAt(i);
        if (c.type > 1 || c.deviceAddress > 34 || c.comPort > 255 || c.replyTimeout > 999999999 || c.tcpPort > 65535 ||
            c.name.contains(QChar(0)) || c.networkAddress.contains(QChar(0)))
            std::abort();
    }
    if (list.GetSelectedIndex() >= list.GetCount() && list.GetCount() > 0)
        std::abort();
    const QByteArray written = list.ToBytes();
    CConnectionArray back;
    if (!back.FromBytes(written) || back.GetCount() != list.GetCount() || back.ToBytes() != written)
        std::abort();
    return 0;
}
