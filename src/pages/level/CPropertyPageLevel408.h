// SPDX-License-Identifier: GPL-3.0-or-later
// Level control from firmware 4.08 on: per channel a flags word (mode, option, count), a
// delay and a time, edited in CEditLevelSensor, with the names of the application's level
// list; a page-wide number kept in the first channel's flags; the live state per channel,
// the alarm and its clear button, and the level function's switch (1058).
#pragma once

#include <array>

#include "pages/level/LevelChannelRecord.h"
#include "ui/page/CMyPropertyPage.h"

class CRecordList;
class QCheckBox;
class QLabel;
class QPushButton;

class CPropertyPageLevel408 : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdAlarm = 1307,
        IdNumber = 1320,
        IdClearAlarm = 1327,
        IdStateText = 1331,
        IdStates = 1427,
        IdEdit = 1437,
        IdFunction = 1491,
        IdChannels = 1690,
    };
    static constexpr int kMaxChannels = 3;
    static constexpr int ChannelKey(int i) { return 100000 + i; }

    CPropertyPageLevel408();

    int ChannelCount() const;
    const LevelChannelRecord& Channel(int i) const { return m_channels[size_t(i)]; }
    bool EditChannel(int i);

protected:
    void CreateControls() override;
    int ReadCount() const override { return 3 * ChannelCount(); }
    bool ReadValues() override;
    bool WriteValues() override;
    void DoDataExchange(bool saveAndValidate) override;
    void OnRefreshTick() override;
    void UpdateControlStates() override;

private:
    void FillList();
    void SwitchFunction(bool on);
    void ClearAlarm();

    std::array<LevelChannelRecord, kMaxChannels> m_channels;
    double m_number = 1;
    CRecordList* m_list = nullptr;
    CRecordList* m_states = nullptr;
    QCheckBox* m_alarm = nullptr;
    QCheckBox* m_function = nullptr;
    QPushButton* m_clear = nullptr;
    QLabel* m_stateText = nullptr;
};
