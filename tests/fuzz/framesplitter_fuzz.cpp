// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes from a client of the shared bus, cut into arbitrary chunks: the splitter
// must stay bounded and every frame it gives must be whole and classifiable.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/CFrameSplitter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFrameSplitter splitter;
    size_t at = 0;
    while (at < size) {
        // The first byte of each chunk says how long the chunk is.
        const size_t n = std::min<size_t>(size - at - 1, data[at] % 64 + 1);
        splitter.Append(QByteArray(reinterpret_cast<const char*>(data + at + 1), static_cast<qsizetype>(n)));
        at += n + 1;
        QByteArray frame;
        while (splitter.Next(frame)) {
            if (frame.size() > CFrameSplitter::MaxFrame || frame.front() != '\x01' || frame.back() != '\x04')
                std::abort();
            CFrameSplitter::Classify(frame);
        }
        if (splitter.Pending() > 2 * CFrameSplitter::MaxFrame + 64)
            std::abort();
    }
    return 0;
}
