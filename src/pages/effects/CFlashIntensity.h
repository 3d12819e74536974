// SPDX-License-Identifier: GPL-3.0-or-later
// Asks for the intensity of a special-lamp flash, 0 to 9 (5 at start).
#pragma once

#include "ui/page/CFieldDialog.h"

class CFlashIntensity : public CFieldDialog {
    Q_OBJECT
public:
    enum { IdIntensity = 1623 };
    static constexpr int kMaximum = 9;

    explicit CFlashIntensity(QWidget* parent = nullptr);
    // What the user chose, within 0..9 whatever was typed.
    int Intensity() const;

private:
    double m_intensity = 5;
};
