// SPDX-License-Identifier: GPL-3.0-or-later
// The dosing pumps: three numbers per pump, edited in CEditDosingPump, and the user's names
// in "DosingPumpsDescriptions.dat". All eight are read and named; the list shows the
// model's pumps.
#pragma once

#include <array>

#include "pages/pumps/CDosingPumpPara.h"
#include "ui/page/CMyPropertyPage.h"

class CRecordList;

class CPropertyPageDosingPumps : public CMyPropertyPage {
    Q_OBJECT
public:
    enum { IdList = 1473, IdEdit = 1437 };
    static constexpr int kPumps = 8;
    static constexpr int PumpKey(int i) { return 100000 + i; }

    CPropertyPageDosingPumps();

    const CDosingPumpPara& Pump(int i) const { return m_pumps[size_t(i)]; }
    // Pumps the model has (the rows of the list).
    int ShownCount() const;
    bool EditPump(int i);

protected:
    void CreateControls() override;
    int ReadCount() const override { return 3 * kPumps; }
    bool ReadValues() override;
    bool WriteValues() override;
    void DoDataExchange(bool saveAndValidate) override;

private:
    void FillList();

    std::array<CDosingPumpPara, kPumps> m_pumps;
    CRecordList* m_list = nullptr;
};
