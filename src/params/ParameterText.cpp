// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParameterText.h"

#include <QByteArray>

namespace ParameterText {

QByteArrayView Trim(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.sliced(begin, end - begin);
}

Fields SplitFields(QByteArrayView line)
{
    Fields result;
    bool inQuotes = false;
    qsizetype start = 0;
    const qsizetype n = line.size();
    const char* data = line.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c == '"') {
            inQuotes = !inQuotes;
        }
        else if (c == ',' && !inQuotes) {
            if (result.count < 3) result.field[result.count] = Trim(line.sliced(start, i - start));
            ++result.count;
            start = i + 1;
        }
    }
    if (n - start > 0) {
        if (result.count < 3) result.field[result.count] = Trim(line.sliced(start, n - start));
        ++result.count;
    }
    return result;
}

int64_t ReadDecimal(QByteArrayView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Saturates far above 32 bits, so that no digit string wraps into a plausible value.
    constexpr uint64_t kCeiling = uint64_t(1) << 40;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = qMin(kCeiling, value * 10u + static_cast<uint64_t>(text[i] - '0'));
    if (negative) value = 0u - value;
    return static_cast<int64_t>(value);
}

namespace {
int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

bool IsHexTextField(QByteArrayView field)
{
    return field.size() >= 3 && field[0] == 'x' && field[1] == '"' && field[field.size() - 1] == '"';
}

bool DecodeHexText(QByteArrayView field, QByteArray& bytes)
{
    if (!IsHexTextField(field)) return false;
    const QByteArrayView digits = field.sliced(2, field.size() - 3);
    if (digits.size() % 2 != 0) return false;
    QByteArray out(digits.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < out.size(); ++i) {
        const int hi = HexDigit(digits[2 * i]);
        const int lo = HexDigit(digits[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<char>(hi * 16 + lo);
    }
    bytes = out;
    return true;
}

bool NeedsHexForm(QByteArrayView bytes)
{
    for (char c : bytes)
        if (c == '"' || c == '\r' || c == '\n' || c == '\0') return true;
    return false;
}

}  // namespace ParameterText
