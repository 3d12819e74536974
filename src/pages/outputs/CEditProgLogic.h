// SPDX-License-Identifier: GPL-3.0-or-later
// Edits one logic function: the function, its inputs (chosen through the function-word
// editor) and, for the time functions, the time.
#pragma once

#include "pages/outputs/CProgLogicPara.h"
#include "ui/page/CFieldDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CEditProgLogic : public CFieldDialog {
    Q_OBJECT
public:
    enum Id {
        IdFunction = 1438,
        IdInput1 = 1591,
        IdChoose1 = 1590,
        IdOperand2 = 1594,
        IdChoose2 = 1595,
        IdLabel1 = 1592,
        IdLabel2 = 1593,
        IdSeconds = 1599,
        IdName = 1498,
    };
    static constexpr int kFunctions = 12;

    CEditProgLogic(QWidget* parent, const CProgLogicPara& record);

    const CProgLogicPara& Record() const { return m_rec; }
    // The time typed: leading digits, clamped to 1..28800 (no number counts as 0).
    static int ParseTime(const QString& text);

protected:
    bool Validate() override;

private:
    void ShowOperands();
    void ChooseInput(int which);
    int SelectedLogic() const;

    CProgLogicPara m_rec;
    QComboBox* m_function = nullptr;
    QLineEdit* m_input1 = nullptr;
    QLineEdit* m_operand2 = nullptr;
    QPushButton* m_choose2 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_seconds = nullptr;
};
