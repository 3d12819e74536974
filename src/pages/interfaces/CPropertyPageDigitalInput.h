// SPDX-License-Identifier: GPL-3.0-or-later
// The four digital inputs: each input's function (723 + i), edited in CEditDigitalInput, its
// name in the application's digital-input list, and the live input states (1091, bit i =
// input i + 1 active) as the rows' check boxes.
#pragma once

#include <array>
#include <cstdint>

#include "pages/interfaces/CDigitalInputPara.h"
#include "ui/page/CMyPropertyPage.h"

class CRecordList;

class CPropertyPageDigitalInput : public CMyPropertyPage {
    Q_OBJECT
public:
    enum Id { IdList = 1699, IdEdit = 1437 };
    static constexpr int kInputs = 4;
    static constexpr int kStates = 1091;
    static constexpr int FunctionParameter(int i) { return 723 + i; }

    CPropertyPageDigitalInput();

    const CDigitalInputPara& Input(int i) const { return m_inputs[static_cast<size_t>(i)]; }
    // The live states last shown (bit i = input i + 1).
    uint32_t States() const { return m_states; }
    bool EditInput(int i);

protected:
    void CreateControls() override;
    int ReadCount() const override { return kInputs; }
    bool ReadValues() override;
    bool WriteValues() override;
    void DoDataExchange(bool saveAndValidate) override;
    void OnRefreshTick() override;

private:
    void FillList();
    void ShowStates();

    std::array<CDigitalInputPara, kInputs> m_inputs{};
    uint32_t m_states = 0;
    CRecordList* m_list = nullptr;
};
