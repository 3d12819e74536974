// SPDX-License-Identifier: GPL-3.0-or-later
// An edit-and-spin whose value stays in degrees Celsius while it may show Fahrenheit:
// absolute temperatures as x * 1.8 + 32, differences as x * 1.8. Only the text changes; the
// value, its range and the spin positions keep following the Celsius field.
#pragma once

#include "ui/page/CEditSpin.h"

class CTempEditSpin : public CEditSpin {
    Q_OBJECT
public:
    CTempEditSpin(int editId, double factor, bool absolute, QWidget* parent = nullptr);

    void SetFahrenheit(bool on);
    bool IsFahrenheit() const { return m_fahrenheit; }

    QString textFromValue(double value) const override;
    double valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& pos) const override;

private:
    bool m_absolute;
    bool m_fahrenheit = false;
};
