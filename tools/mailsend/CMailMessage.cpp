// SPDX-License-Identifier: GPL-3.0-or-later
#include "CMailMessage.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr size_t kMaxLine = 998;

bool IsAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

std::string Base64(const std::string& in)
{
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        const unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
        out += table[v >> 18 & 63];
        out += table[v >> 12 & 63];
        out += table[v >> 6 & 63];
        out += table[v & 63];
    }
    if (i + 1 == in.size()) {
        const unsigned v = (unsigned char)in[i] << 16;
        out += table[v >> 18 & 63];
        out += table[v >> 12 & 63];
        out += "==";
    } else if (i + 2 == in.size()) {
        const unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8;
        out += table[v >> 18 & 63];
        out += table[v >> 12 & 63];
        out += table[v >> 6 & 63];
        out += '=';
    }
    return out;
}

bool HasLongLine(const std::string& crlfText)
{
    size_t start = 0;
    while (start <= crlfText.size()) {
        size_t end = crlfText.find("\r\n", start);
        if (end == std::string::npos)
            end = crlfText.size();
        if (end - start > kMaxLine)
            return true;
        start = end + 2;
    }
    return false;
}
}  // namespace

bool CMailMessage::IsValidUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i];
        int extra = 0;
        if (c < 0x80)
            extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            extra = 1;
        else if ((c & 0xF0) == 0xE0)
            extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k)
            if (((unsigned char)s[i + k] & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

bool CMailMessage::IsSafeField(const std::string& s)
{
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

bool CMailMessage::LooksLikeAddress(const std::string& s)
{
    if (s.empty() || s.size() > 254 || s[0] == '-' || !IsSafeField(s))
        return false;
    const size_t at = s.find('@');
    if (at == 0 || at == std::string::npos || at != s.rfind('@') || at + 1 == s.size())
        return false;
    for (char c : s)
        if (std::string(" \"<>,;:()[]\\").find(c) != std::string::npos)
            return false;
    return true;
}

std::string CMailMessage::NormaliseLineEnds(const std::string& s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 32);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += "\r\n";
            if (i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
        } else if (s[i] == '\n') {
            out += "\r\n";
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string CMailMessage::EncodeWords(const std::string& text, bool utf8)
{
    // Each encoded word stays below 76 characters; UTF-8 sequences are never split.
    const std::string prefix = utf8 ? "=?UTF-8?B?" : "=?ISO-8859-1?B?";
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        size_t n = 0;
        while (i + n < text.size() && n < 45) {
            size_t len = 1;
            if (utf8) {
                const unsigned char c = text[i + n];
                len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            }
            if (n + len > 45 && n > 0)
                break;
            n += len;
        }
        if (!out.empty())
            out += "\r\n ";
        out += prefix + Base64(text.substr(i, n)) + "?=";
        i += n;
    }
    return out;
}

std::string CMailMessage::QuotedPrintable(const std::string& crlfText)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    size_t lineLen = 0;
    auto put = [&](const std::string& piece) {
        if (lineLen + piece.size() > 75) {
            out += "=\r\n";
            lineLen = 0;
        }
        out += piece;
        lineLen += piece.size();
    };
    for (size_t i = 0; i < crlfText.size(); ++i) {
        const unsigned char c = crlfText[i];
        if (c == '\r' && i + 1 < crlfText.size() && crlfText[i + 1] == '\n') {
            out += "\r\n";
            lineLen = 0;
            ++i;
            continue;
        }
        const bool beforeBreak = i + 1 == crlfText.size() || crlfText[i + 1] == '\r';
        if ((c >= 33 && c <= 126 && c != '=' && c != '.') || (c == ' ' && !beforeBreak))
            put(std::string(1, static_cast<char>(c)));
        else
            put(std::string{'=', hex[c >> 4], hex[c & 15]});
    }
    return out;
}

std::string CMailMessage::Rfc5322Date(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S %z", &tm);
    return buf;
}

std::string CMailMessage::Compose(std::time_t now, const std::string& messageIdHost) const
{
    std::string toLine;
    for (const std::string& r : to)
        toLine += (toLine.empty() ? "" : ", ") + r;
    std::string subjectLine = subject;
    if (!IsAscii(subject) || subject.size() > 900)
        subjectLine = EncodeWords(subject, IsValidUtf8(subject));
    std::string text = NormaliseLineEnds(body);
    if (!text.empty() && !text.ends_with("\r\n"))
        text += "\r\n";
    const bool ascii = IsAscii(text);
    const char* charset = ascii ? "us-ascii" : IsValidUtf8(text) ? "UTF-8" : "ISO-8859-1";
    const bool qp = HasLongLine(text);
    char id[96];
    std::snprintf(id, sizeof id, "<%lld.%d@", static_cast<long long>(now), static_cast<int>(::getpid()));

    std::string m;
    m += "Date: " + Rfc5322Date(now) + "\r\n";
    m += "From: " + from + "\r\n";
    m += "To: " + toLine + "\r\n";
    m += "Subject: " + subjectLine + "\r\n";
    m += std::string("Message-ID: ") + id + messageIdHost + ">\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += std::string("Content-Type: text/plain; charset=") + charset + "\r\n";
    m += std::string("Content-Transfer-Encoding: ") + (qp ? "quoted-printable" : ascii ? "7bit" : "8bit") + "\r\n";
    m += "X-Mailer: korvalis-mailsend\r\n";
    m += "\r\n";
    m += qp ? QuotedPrintable(text) : text;
    return m;
}
