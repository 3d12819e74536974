// SPDX-License-Identifier: GPL-3.0-or-later
// Edits one point of a dimmed light run: start time, ramp duration (5..480 min) and target
// intensity (0..100 %).
#pragma once

#include "schedule/CIlluminationRunPoint.h"
#include "ui/page/CFieldDialog.h"

class CEditDimmingPoint : public CFieldDialog {
    Q_OBJECT
public:
    enum { IdStart = 1447, IdIntensity = 1448, IdRamp = 1451 };

    explicit CEditDimmingPoint(const CIlluminationRunPoint& point, QWidget* parent = nullptr);

    CIlluminationRunPoint Record() const;

private:
    int m_start = 0;
    double m_ramp = 5;
    double m_intensity = 0;
};
