// SPDX-License-Identifier: GPL-3.0-or-later
// "EmailSettings.dat" reader: any bytes must parse without harm, and whatever was read must
// survive a write and a second read unchanged.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "params/CEmailSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CEmailSettings settings;
    settings.Parse(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const QByteArray once = settings.Serialize();
    CEmailSettings again;
    if (!again.Parse(once) || again.Serialize() != once)
        std::abort();
    return 0;
}
