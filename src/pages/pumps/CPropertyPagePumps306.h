// SPDX-License-Identifier: GPL-3.0-or-later
// The four current pumps: per pump four levels and a mode (edited in CEditCurrentPump) with
// the user's name, kept in "CurrentPumpDescriptions.dat"; the split of the pumps into two
// groups with per group a mode, two times, an interval pair and a percentage; a few
// settings common to all pumps; each pump's live output on the refresh tick.
#pragma once

#include <array>

#include "pages/pumps/CurrentPumpRecord.h"
#include "ui/page/CMyPropertyPage.h"

class CRecordList;
class QLabel;

class CPropertyPagePumps306 : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdList = 1473,
        IdEdit = 1437,
        IdNumber = 1236,
        IdFlag = 1265,
        IdNight = 1542,
        IdNightStart = 1540,
        IdNightEnd = 1541,
        IdGroupText1 = 1552,
        IdGroupText2 = 1553,
        // Group 1 / group 2
        IdCount1 = 1533, IdCount2 = 1534,
        IdMode1 = 1536, IdMode2 = 1551,
        IdTimeA1 = 1527, IdTimeA2 = 1543,
        IdTimeB1 = 1528, IdTimeB2 = 1544,
        IdIntervalLow1 = 1530, IdIntervalLow2 = 1545,
        IdUnit1 = 1529, IdUnit2 = 1550,
        IdPercent1 = 1531, IdPercent2 = 1546,
        IdIntervalHigh1 = 1559, IdIntervalHigh2 = 1554,
        IdTimeCaptionA1 = 1537, IdTimeCaptionB1 = 1538,
        IdTimeCaptionA2 = 1548, IdTimeCaptionB2 = 1549,
    };
    // Change key of pump k (its five parameters).
    static constexpr int PumpKey(int k) { return 100000 + k; }
    // First parameter of group g (0 or 1): count; +1 mode, +2/+3 times, +4 interval low,
    // +5 unit, +6 percentage, +7 interval high.
    static constexpr int GroupBase(int g) { return g == 0 ? 865 : 875; }

    CPropertyPagePumps306();

    const CurrentPumpRecord& Pump(int k) const { return m_pumps[size_t(k)]; }
    // Opens the pump dialog on a copy of pump k; true when it was taken.
    bool EditPump(int k);
    // The pump list text of group g, as shown (string 306 or 307).
    QString GroupText(int g) const;

protected:
    void DeclareFields() override;
    void CreateControls() override;
    bool ReadValues() override;
    bool WriteValues() override;
    int WriteCount() const override { return 41; }
    void DoDataExchange(bool saveAndValidate) override;
    void OnValueEdited(int key) override;
    void OnRefreshTick() override;
    void UpdateControlStates() override;

private:
    bool IntervalHighShown() const;
    int Count(int g);
    void ApplyIntervalRange(int g);
    void RepairBeforeWrite();
    void FillList();
    void FillGroupTexts();

    std::array<CurrentPumpRecord, 4> m_pumps;
    CRecordList* m_list = nullptr;
    QLabel* m_groupTexts[2] = {nullptr, nullptr};
};
