// SPDX-License-Identifier: GPL-3.0-or-later
// "EmailSettings.dat" reader: any bytes must parse without harm, and whatever was read must
// survive a write and a second read unchanged.
#include <QByteArray>
#include <cstdint>
#include <cmath>
#include <cstdlib>

#include "alerts/CEmailSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CEmailSettings settings;
    settings.Parse(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    // A rule read from the file is one the rule dialog could have made.
    for (const CEmail& r : settings.rules) {
        if (r.type < CEmail::AtTime || r.type > CEmail::TestOnly || r.timeStatus < 0 || r.timeStatus > 2 ||
            !std::isfinite(r.time) || r.subject.contains(QChar(0)) || r.text.contains(QChar(0)))
            std::abort();
    }
    if (settings.smtpServer.contains(QChar(0)) || settings.senderAddress.contains(QChar(0)))
        std::abort();
    const QByteArray once = settings.Serialize();
    CEmailSettings again;
    if (!again.Parse(once) || again.Serialize() != once)
        std::abort();
    return 0;
}
