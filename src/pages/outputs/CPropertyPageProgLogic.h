// SPDX-License-Identifier: GPL-3.0-or-later
// The eight programmable logic functions: inputs (912 + 3k), function byte (913 + 3k),
// time (914 + 3k) and the user's names.
#pragma once

#include <array>

#include "pages/outputs/CProgLogicPara.h"
#include "ui/page/CMyPropertyPage.h"

class CRecordList;

class CPropertyPageProgLogic : public CMyPropertyPage {
    Q_OBJECT
public:
    enum Id { IdList = 1593, IdEdit = 1437 };
    static constexpr int kFunctions = 8;

    CPropertyPageProgLogic();

    static int InputsParameter(int k) { return 912 + 3 * k; }
    const CProgLogicPara& Function(int k) const { return m_records[static_cast<size_t>(k)]; }
    // The list's texts of a record: name of the function, input 1, input 2, time.
    static QStringList RowTexts(const CProgLogicPara& record);

protected:
    void DeclareFields() override;
    void CreateControls() override;
    int ReadCount() const override { return 3 * kFunctions; }
    int WriteCount() const override { return 3 * kFunctions; }
    bool ReadValues() override;
    bool WriteValues() override;

private:
    void FillList();
    void EditFunction(int k);

    std::array<CProgLogicPara, kFunctions> m_records{};
    CRecordList* m_list = nullptr;
};
