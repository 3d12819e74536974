// SPDX-License-Identifier: GPL-3.0-or-later
// The 1-10 V interfaces of the model: per interface a source byte and a voltage range in
// millivolts (660 + 3k for the first eight, 854 + 3(k - 8) for two more), edited in
// CEditOneToTenVInt, names in "OneToTenVDescriptions.dat"; and the two device-programming
// dialogs CProgLED and CProgPTC.
#pragma once

#include <array>

#include "pages/interfaces/COneToTenVInterfacePara.h"
#include "ui/page/CMyPropertyPage.h"

class CRecordList;
class QPushButton;

class CPropertyPageOneToTenVInterface300 : public CMyPropertyPage {
    Q_OBJECT
public:
    enum Id { IdList = 1440, IdEdit = 1437, IdProgLED = 1467, IdProgPTC = 1468 };
    static constexpr int kMaxInterfaces = 10;

    static constexpr int LowerParameter(int k) { return k < 8 ? 660 + 3 * k : 854 + 3 * (k - 8); }
    static constexpr int UpperParameter(int k) { return LowerParameter(k) + 1; }
    static constexpr int SourceParameter(int k) { return LowerParameter(k) + 2; }

    CPropertyPageOneToTenVInterface300();

    const COneToTenVInterfacePara& Interface(int k) const { return m_interfaces[static_cast<size_t>(k)]; }
    // The model's interfaces (the rows of the list).
    int Count() const;
    bool EditInterface(int k);
    void ProgramLamp();
    void ProgramHeater();

protected:
    void CreateControls() override;
    int ReadCount() const override { return 3 * Count(); }
    bool ReadValues() override;
    bool WriteValues() override;
    void DoDataExchange(bool saveAndValidate) override;
    void UpdateControlStates() override;

private:
    void FillList();

    std::array<COneToTenVInterfacePara, kMaxInterfaces> m_interfaces{};
    CRecordList* m_list = nullptr;
    QPushButton* m_progLED = nullptr;
    QPushButton* m_progPTC = nullptr;
};
