// SPDX-License-Identifier: GPL-3.0-or-later
// The text of one e-mail as it goes over SMTP: header lines and a body, CR LF throughout.
#pragma once

#include <ctime>
#include <string>
#include <vector>

class CMailMessage {
public:
    std::string from;
    std::vector<std::string> to;
    std::string subject;  // UTF-8 when valid UTF-8, else taken as ISO-8859-1
    std::string body;     // UTF-8 when valid UTF-8, else taken as ISO-8859-1

    // Header and body, ready for the DATA command. Non-ASCII subjects become encoded words;
    // a body with lines too long for SMTP goes quoted-printable.
    std::string Compose(std::time_t now, const std::string& messageIdHost) const;

    static bool IsValidUtf8(const std::string& s);
    // No CR, LF or other control characters (a header field must stay one line).
    static bool IsSafeField(const std::string& s);
    // local@domain without blanks, quotes, angle brackets or separators; not starting with '-'.
    static bool LooksLikeAddress(const std::string& s);
    // Lines end in CR LF, bare CR and LF included.
    static std::string NormaliseLineEnds(const std::string& s);
    static std::string EncodeWords(const std::string& utf8OrLatin1, bool utf8);
    static std::string QuotedPrintable(const std::string& crlfText);
    static std::string Rfc5322Date(std::time_t t);
};
