// SPDX-License-Identifier: GPL-3.0-or-later
// Edits one switching point: its start, and by point type an end time (0), a pulse duration
// in seconds (1) or nothing more (2). Timers and switching-mode light runs use it.
#pragma once

#include "schedule/CSwitchtime.h"
#include "ui/page/CFieldDialog.h"

class QLabel;

class CEditSwitchingPoint : public CFieldDialog {
    Q_OBJECT
public:
    enum { IdStart = 1447, IdEnd = 1448, IdDuration = 1451, IdCaption = 1499 };

    CEditSwitchingPoint(const CSwitchtime& point, int type, QWidget* parent = nullptr);

    CSwitchtime Record() const;

private:
    int m_type;
    int m_start = 0;
    int m_end = 0;
    double m_duration = 1;
};
