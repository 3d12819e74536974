// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CPageField.h"

#include <algorithm>
#include <cmath>

#include "app/FieldCodecs.h"
#include "base/SaturatingCast.h"
#include "ui/page/PageConversions.h"

CPageField::CPageField(Kind kind, int number, int controlId)
    : m_kind(kind), m_number(number), m_controlId(controlId), m_key(number) {
    if (kind == Kind::Combo || kind == Kind::Radio) m_int = -1;
}

CPageField& CPageField::Factor(double factor) {
    m_factor = factor;
    return *this;
}
CPageField& CPageField::Range(double minimum, double maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
    return *this;
}
CPageField& CPageField::Spin(double minimum, double maximum) {
    m_hasSpin = true;
    m_spinMinimum = minimum;
    m_spinMaximum = maximum;
    return *this;
}
CPageField& CPageField::Signed(bool isSigned) {
    m_signed = isSigned;
    return *this;
}
CPageField& CPageField::Key(int key) {
    m_key = key;
    return *this;
}
CPageField& CPageField::Bits(int shift, int width) {
    m_shift = shift;
    m_width = width;
    return *this;
}
CPageField& CPageField::Offset(int offset) {
    m_offset = offset;
    return *this;
}
CPageField& CPageField::Items(const QStringList& items) {
    m_items = items;
    return *this;
}
CPageField& CPageField::Codec(Decode decode, Encode encode) {
    m_decode = std::move(decode);
    m_encode = std::move(encode);
    return *this;
}
CPageField& CPageField::When(std::function<bool()> condition) {
    m_when = std::move(condition);
    return *this;
}
CPageField& CPageField::ToSmsModule(bool sms) {
    m_sms = sms;
    return *this;
}
CPageField& CPageField::ReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    return *this;
}
CPageField& CPageField::Format(std::function<QString(double)> format) {
    m_format = std::move(format);
    return *this;
}
CPageField& CPageField::MaxLength(int bytes) {
    m_maxLength = bytes;
    return *this;
}

QString CPageField::FormatValue() const {
    if (m_format) return m_format(Value());
    if (m_kind == Kind::Text) return m_text;
    return QString::number(Value());
}

double CPageField::Value() const {
    switch (m_kind) {
        case Kind::Check:
            return m_bool ? 1 : 0;
        case Kind::Combo:
        case Kind::Radio:
        case Kind::Time:
        case Kind::Duration:
        case Kind::Date:
            return m_int;
        default:
            return m_real;
    }
}

void CPageField::SetValue(double value) {
    switch (m_kind) {
        case Kind::Check:
            m_bool = value != 0;
            break;
        case Kind::Combo:
        case Kind::Radio:
        case Kind::Time:
        case Kind::Duration:
        case Kind::Date:
            m_int = std::isfinite(value) ? SaturatingCast<int>(value) : 0;
            break;
        default:
            m_real = value;
    }
}

void CPageField::FromDevice(uint32_t raw, int32_t signedRaw) {
    if (m_decode) {
        SetValue(m_decode(raw, signedRaw));
        return;
    }
    double v;
    if (m_width > 0) {
        const uint32_t bits = FieldCodecs::GetBits(raw, m_shift, m_width);
        // A signed slice is its width's two's complement.
        v = m_signed && m_width < 32 && (bits >> (m_width - 1)) & 1u
                ? double(int64_t(bits) - (int64_t(1) << m_width))
                : double(bits);
    } else {
        v = m_signed ? double(signedRaw) : double(raw);
    }
    switch (m_kind) {
        case Kind::Real:
        case Kind::Label:
        case Kind::Hidden:
            m_real = PageConversions::DeviceToDisplay(v, m_factor);
            break;
        case Kind::Check:
            m_bool = v != 0;
            break;
        case Kind::Combo:
        case Kind::Radio: {
            // An untrusted value that names no entry shows no selection and is kept as it
            // came, so writing the parameter back does not change it.
            const int64_t index = int64_t(v) - m_offset;
            m_int = index >= -2147483648LL && index <= 2147483647LL ? int(index) : -1;
            break;
        }
        default:
            SetValue(v);
    }
}

int64_t CPageField::ToDevice(uint32_t raw) const {
    int64_t device;
    if (m_encode) {
        device = m_encode(Value(), raw);
        if (m_width == 0) return device;
    } else {
        switch (m_kind) {
            case Kind::Real:
            case Kind::Label:
            case Kind::Hidden:
                device = PageConversions::DisplayToDevice(m_real, m_factor);
                break;
            case Kind::Check:
                device = m_bool ? 1 : 0;
                break;
            case Kind::Combo:
            case Kind::Radio:
                device = FieldCodecs::IndexToDevice(m_int, m_offset);
                break;
            default:
                device = m_int;
        }
    }
    if (m_width == 0) return device;
    return FieldCodecs::SetBits(raw, m_shift, m_width, uint32_t(device));
}
