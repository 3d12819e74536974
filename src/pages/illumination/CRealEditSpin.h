// SPDX-License-Identifier: GPL-3.0-or-later
// An edit-and-spin pair for real values that accepts more decimals than its factor and
// shows the value in the shortest general form (15 significant digits): 1.5, 50.7, 100.
// The controller receives value x factor truncated toward zero, so surplus decimals of
// typed values are cut off only when written (2.55 with factor 10 goes out as 25).
#pragma once

#include "ui/page/CEditSpin.h"

class CRealEditSpin : public CEditSpin {
    Q_OBJECT
public:
    CRealEditSpin(int editId, double factor, double minimum, double maximum,
                  QWidget* parent = nullptr);

    QString textFromValue(double value) const override;
};
