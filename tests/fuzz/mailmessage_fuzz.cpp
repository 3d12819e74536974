// SPDX-License-Identifier: GPL-3.0-or-later
// The mail program's message text from an arbitrary subject and attached file (split at the
// first NUL): whatever the bytes, every line ends in CR LF and none is longer than SMTP
// allows, so no byte of the file can end the DATA command or smuggle in a header.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CMailMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    CMailMessage m;
    m.from = "tank@example.org";
    m.to = {"keeper@example.org"};
    m.subject = nul == std::string::npos ? std::string() : input.substr(0, nul);
    m.body = nul == std::string::npos ? input : input.substr(nul + 1);
    if (!CMailMessage::IsSafeField(m.subject)) m.subject.clear();
    const std::string text = m.Compose(0, "localhost");
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) __builtin_trap();
        if (text[i] != '\n') continue;
        if (i == 0 || text[i - 1] != '\r') __builtin_trap();
        if (i - lineStart > 1000) __builtin_trap();
        lineStart = i + 1;
    }
    return 0;
}
