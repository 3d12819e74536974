// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter text parser (parameter-list and settings files): no crash, bounded memory,
// and whatever it reads comes back the same after writing and reading again.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "params/CParameterArray.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CParameterArray first;
    first.ReadText(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (first.Count() > CParameterArray::MaxElements) std::abort();

    for (const CParameter& p : first)
        if (p.Name.contains(QLatin1Char('"'))) return 0;  // a name with quotes is not written back in a readable form

    CParameterArray second;
    if (second.ReadText(first.FormatText()) != 0 || second.Count() != first.Count()) std::abort();
    for (int i = 0; i < first.Count(); ++i) {
        const CParameter& a = first[i];
        const CParameter& b = second[i];
        if (a.Number != b.Number || a.Name != b.Name || a.Kind != b.Kind) std::abort();
        if (a.Kind == CParameter::TextKind ? a.TextBytes() != b.TextBytes() : a.FileValue() != b.FileValue())
            std::abort();
    }
    // Written text is stable after one round.
    if (second.FormatText() != first.FormatText()) std::abort();
    return 0;
}
