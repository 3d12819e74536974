// SPDX-License-Identifier: GPL-3.0-or-later
// Asks for a lamp's or a sensor's operating hours (one decimal), starting at 0.
#pragma once

#include "ui/page/CFieldDialog.h"

class CSetOHM : public CFieldDialog {
    Q_OBJECT
public:
    enum { IdHours = 1238 };
    // Whole minutes of a 32-bit counter.
    static constexpr double kMaxHours = 4294967295.0 / 60.0;

    explicit CSetOHM(QWidget* parent = nullptr);
    double Hours() const { return m_hours; }

private:
    double m_hours = 0;
};
