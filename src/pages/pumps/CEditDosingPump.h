// SPDX-License-Identifier: GPL-3.0-or-later
// Edits a copy of one dosing pump: its three numbers and its name.
#pragma once

#include "pages/pumps/CDosingPumpPara.h"
#include "ui/page/CFieldDialog.h"

class CEditDosingPump : public CFieldDialog {
    Q_OBJECT
public:
    enum { IdValueC = 1474, IdValueA = 1476, IdValueB = 1477, IdName = 1498 };

    // number: the pump's 1-based number, shown in the title.
    CEditDosingPump(const CDosingPumpPara& pump, int number, QWidget* parent = nullptr);
    const CDosingPumpPara& Record() const { return m_rec; }

private:
    CDosingPumpPara m_rec;
};
