// SPDX-License-Identifier: GPL-3.0-or-later
// The small lexical pieces of the parameter text format, shared by the line parser and the
// file reader. Everything works on single-byte text without copying.
#pragma once

#include <QByteArrayView>
#include <QVarLengthArray>
#include <cstdint>

namespace ParameterText {

// Blank, tab, CR, LF, vertical tab, form feed. Deliberately not the Latin-1 no-break space,
// which belongs to a value.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

QByteArrayView Trim(QByteArrayView text);

// The first three fields of a line (trimmed) and the number of fields. A comma outside
// double quotes ends a field; the last field counts only when it is not empty before trimming.
struct Fields {
    QByteArrayView field[3];
    int count = 0;
};
Fields SplitFields(QByteArrayView line);

// Leading sign and digits; reading stops at the first other character; no digits gives 0.
// Digits beyond the range of 64 bits wrap, so the low bits are always those of the number.
int64_t ReadDecimal(QByteArrayView text);

// A byte-string value in the escaped form x"<hex digits>" (used for values that the quoted
// form cannot carry). Returns false when the field is not of that form or malformed.
bool IsHexTextField(QByteArrayView field);
bool DecodeHexText(QByteArrayView field, QByteArray& bytes);
// True when bytes cannot travel between plain double quotes on one line.
bool NeedsHexForm(QByteArrayView bytes);

}  // namespace ParameterText
