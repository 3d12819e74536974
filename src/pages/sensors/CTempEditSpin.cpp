// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sensors/CTempEditSpin.h"

#include <QLineEdit>
#include <QLocale>
#include <algorithm>
#include <cmath>

CTempEditSpin::CTempEditSpin(int editId, double factor, bool absolute, QWidget* parent)
    : CEditSpin(editId, factor, -2147483648.0 / factor, 2147483647.0 / factor, parent),
      m_absolute(absolute) {}

void CTempEditSpin::SetFahrenheit(bool on) {
    if (m_fahrenheit == on) return;
    m_fahrenheit = on;
    // One more decimal in Fahrenheit, so a Celsius step stays visible.
    lineEdit()->setText(textFromValue(value()));
}

QString CTempEditSpin::textFromValue(double value) const {
    if (!m_fahrenheit) return CEditSpin::textFromValue(value);
    const double shown = value * 1.8 + (m_absolute ? 32.0 : 0.0);
    // Five significant digits at most, no trailing zeros: 25.0 C shows as 77, 0.5 as 0.9.
    QString text = locale().toString(shown, 'f', decimals() + 1);
    if (text.contains(locale().decimalPoint())) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(locale().decimalPoint())) text.chop(1);
    }
    return text;
}

double CTempEditSpin::valueFromText(const QString& text) const {
    if (!m_fahrenheit) return CEditSpin::valueFromText(text);
    bool ok = false;
    double shown = locale().toDouble(text.trimmed(), &ok);
    if (!ok) shown = text.trimmed().toDouble(&ok);
    if (!ok) return value();
    const double celsius = (shown - (m_absolute ? 32.0 : 0.0)) / 1.8;
    // Rounded to the field's steps here, so 59.9 F is 15.5 C and not 15.4999...
    const double steps = std::round(celsius * Factor());
    return std::clamp(steps / Factor(), minimum(), maximum());
}

QValidator::State CTempEditSpin::validate(QString& text, int& pos) const {
    if (!m_fahrenheit) return CEditSpin::validate(text, pos);
    if (text.trimmed().isEmpty() || text.trimmed() == QLatin1String("-"))
        return QValidator::Intermediate;
    bool ok = false;
    locale().toDouble(text.trimmed(), &ok);
    if (!ok) text.trimmed().toDouble(&ok);
    return ok ? QValidator::Acceptable : QValidator::Invalid;
}
