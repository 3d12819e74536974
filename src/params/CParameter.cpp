// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CParameter.h"

#include <cmath>
#include <cstdint>

#include "link/CSWMBus.h"
#include "params/ParameterText.h"

namespace {
bool IsQuoted(QByteArrayView field)
{
    return field.size() >= 2 && field.front() == '"' && field.back() == '"';
}

void AppendHex(QByteArray& out, QByteArrayView bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    out.append("x\"");
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(kDigits[b >> 4]);
        out.append(kDigits[b & 0x0F]);
    }
    out.append('"');
}
}  // namespace

CParameter::CParameter(uint16_t number, const QString& name, double value) : Name(name), Number(number), Value(value) {}

CParameter CParameter::MakeText(uint16_t number, const QString& name, const QByteArray& bytes)
{
    CParameter p(number, name, 0.0);
    p.Kind = TextKind;
    p.Text = '"' + bytes + '"';
    return p;
}

QByteArray CParameter::TextBytes() const
{
    if (IsQuoted(Text)) return Text.mid(1, Text.size() - 2);
    return Text;
}

bool CParameter::IsIdentification() const
{
    return Name == QLatin1String("CODE_SOFTWAREVERSION") || Name == QLatin1String("CODE_PRODUCTID") ||
           Name == QLatin1String("CODE_SERIALNUMBER");
}

int32_t CParameter::FileValue() const
{
    if (!std::isfinite(Value)) return 0;
    // fmod is exact, so the low 32 bits survive for every magnitude a double can hold.
    const double low = std::fmod(std::trunc(Value), 4294967296.0);
    const auto bits = static_cast<uint32_t>(static_cast<int64_t>(low));
    return static_cast<int32_t>(bits);
}

uint16_t CParameter::ReadFromController(CSWMBus& bus)
{
    const uint16_t status = bus.Read(static_cast<int16_t>(Number));
    if (status != CSWMBus::Ok) return status;
    if (Kind == TextKind)
        Text = '"' + bus.GetTextValue() + '"';
    else
        Value = bus.GetUnsignedValue();
    return status;
}

uint16_t CParameter::WriteToController(CSWMBus& bus) const
{
    if (IsIdentification()) return CSWMBus::Ok;
    uint16_t status = Kind == TextKind ? bus.WriteBytes(static_cast<int16_t>(Number), TextBytes())
                                       : bus.WriteValue(static_cast<int16_t>(Number), Value);
    uint8_t code = 0;
    if (status == CSWMBus::Ok && !bus.GetAcknowledge(code)) status = CSWMBus::NotAcknowledged;
    return status;
}

void CParameter::AppendLine(QByteArray& out) const
{
    out.append(QByteArray::number(Number));
    out.append(", \"");
    out.append(Name.toLatin1());
    out.append("\", ");
    if (Kind == TextKind) {
        const bool quoted = IsQuoted(Text);
        const QByteArrayView bytes = quoted ? QByteArrayView(Text).sliced(1, Text.size() - 2) : QByteArrayView(Text);
        if (ParameterText::NeedsHexForm(bytes)) {
            AppendHex(out, bytes);
        }
        else if (quoted) {
            out.append(Text);
        }
        else {
            out.append('"');
            out.append(Text);
            out.append('"');
        }
    }
    else {
        out.append(QByteArray::number(FileValue()));
    }
    out.append("\r\n");
}

QByteArray CParameter::FormatLine() const
{
    QByteArray line;
    AppendLine(line);
    return line;
}

int CParameter::ParseLine(QByteArrayView line)
{
    if (line.size() < 8) return LineError;
    const ParameterText::Fields f = ParameterText::SplitFields(line);
    if (f.count < 3) return LineError;

    const QByteArrayView third = f.field[2];
    int32_t kind = NumericKind;
    double value = 0.0;
    QByteArray text;
    if (IsQuoted(third)) {
        kind = TextKind;
        text = third.toByteArray();
    }
    else if (ParameterText::IsHexTextField(third)) {
        QByteArray bytes;
        if (!ParameterText::DecodeHexText(third, bytes)) return LineError;
        kind = TextKind;
        text = '"' + bytes + '"';
    }
    else {
        const int64_t read = ParameterText::ReadDecimal(third);
        // The bus carries 32 bits, signed or unsigned; a larger number would arrive wrapped.
        if (read < INT32_MIN || read > int64_t(UINT32_MAX)) return LineError;
        value = static_cast<double>(read);
        text = third.toByteArray();
    }

    QByteArrayView name = f.field[1];
    if (IsQuoted(name)) name = name.sliced(1, name.size() - 2);

    Number = static_cast<uint16_t>(ParameterText::ReadDecimal(f.field[0]) & 0xFFFF);
    Name = QString::fromLatin1(name.data(), name.size());
    Kind = kind;
    Value = value;
    Text = text;
    return 0;
}

bool CParameter::operator==(const CParameter& other) const
{
    return Name == other.Name && Number == other.Number && Value == other.Value && Text == other.Text &&
           Kind == other.Kind;
}
