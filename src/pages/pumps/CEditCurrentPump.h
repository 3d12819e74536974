// SPDX-License-Identifier: GPL-3.0-or-later
// Edits a copy of one current pump: mode, four levels (0..100 %) and the name. On OK the
// levels 2..4 are raised to level 1 where they lie below it.
#pragma once

#include "pages/pumps/CurrentPumpRecord.h"
#include "ui/page/CFieldDialog.h"

class CEditCurrentPump : public CFieldDialog {
    Q_OBJECT
public:
    enum {
        IdMode = 1543,
        IdLevel1 = 1544,
        IdLevel2 = 1545,
        IdLevel3 = 1546,
        IdLevel4 = 1547,
        IdName = 1498,
    };

    // number: the pump's 1-based number, shown in the title.
    CEditCurrentPump(const CurrentPumpRecord& pump, int number, QWidget* parent = nullptr);
    const CurrentPumpRecord& Record() const { return m_rec; }

protected:
    bool Validate() override;

private:
    CurrentPumpRecord m_rec;
};
