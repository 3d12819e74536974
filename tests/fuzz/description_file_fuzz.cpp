// SPDX-License-Identifier: GPL-3.0-or-later
// Description files come from the user's disk, possibly from another program or damaged.
#include <QBuffer>
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "params/CDescriptionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses how many lines are asked for, as the functions differ.
    const int count = data[0] % 30;
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QStringList names = CDescriptionFile::ReadLines(buffer, count);
    if (names.size() != count)
        __builtin_trap();
    for (const QString& n : names)
        if (n.size() > CDescriptionFile::kMaxLineBytes || n.contains(QLatin1Char('\n')))
            __builtin_trap();
    // What is written reads back the same, line breaks aside.
    const QByteArray again = CDescriptionFile::Encode(names);
    QByteArray copy = again;
    QBuffer back(&copy);
    back.open(QIODevice::ReadOnly);
    const QStringList reread = CDescriptionFile::ReadLines(back, count);
    for (int i = 0; i < count; ++i)
        if (reread[i] != CDescriptionFile::Storable(names[i]))
            __builtin_trap();
    return 0;
}
