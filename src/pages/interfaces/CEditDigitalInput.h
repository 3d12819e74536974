// SPDX-License-Identifier: GPL-3.0-or-later
// Edits a copy of one digital input: its function, chosen from the five the controller knows,
// and its name. A function the list does not hold opens with no choice and stays as it was
// unless the user picks one.
#pragma once

#include <array>

#include "pages/interfaces/CDigitalInputPara.h"
#include "ui/page/CFieldDialog.h"

class CEditDigitalInput : public CFieldDialog {
    Q_OBJECT
public:
    enum Id { IdFunction = 1694, IdName = 1498 };

    struct Function {
        int value;     // the controller's byte
        int stringId;  // its name
    };
    // The functions in the order the dialog offers them.
    static const std::array<Function, 5>& Functions();
    // The name of a function byte; empty for a byte that is none of them.
    static QString FunctionText(int value);

    // input: 0-based, shown 1-based in the title.
    CEditDigitalInput(const CDigitalInputPara& record, int input, QWidget* parent = nullptr);
    const CDigitalInputPara& Record() const { return m_rec; }

protected:
    bool Validate() override;

private:
    CDigitalInputPara m_rec;
    int m_choice = -1;  // index into Functions(), -1 = none
};
