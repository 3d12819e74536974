// SPDX-License-Identifier: GPL-3.0-or-later
// Enter an operating time in hours (two decimals), from 0 to what the counter can hold.
#pragma once

#include "ui/page/CFieldDialog.h"

class CSetOHM : public CFieldDialog {
    Q_OBJECT
public:
    enum { IdHours = 1238 };
    explicit CSetOHM(QWidget* parent = nullptr);
    double Hours() const { return m_hours; }

private:
    double m_hours = 0;
};
