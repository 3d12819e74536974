// SPDX-License-Identifier: GPL-3.0-or-later
// Level control before firmware 4.08: the channels' modes packed into one word (760, a
// nibble per channel; above 4.00 also a selection and a number in bits 12-15), delays and
// times per channel (the third only on three-channel models), two settings of the level
// function; the live state word as thirteen lamps, the state text, the alarm's clear button
// and the level function's start (1058).
#pragma once

#include <array>
#include <vector>

#include "ui/page/CMyPropertyPage.h"

class QCheckBox;
class QLabel;
class QPushButton;

class CPropertyPageLevel304 : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdMode1 = 1488, IdMode2 = 1489, IdMode3 = 1490,
        IdDelay1 = 1315, IdDelay2 = 1316, IdDelay3 = 1317,
        IdTime1 = 1318, IdTime2 = 1319, IdTime3 = 1322,
        IdNumber = 1320,
        IdFlag = 1321,
        IdClearAlarm = 1327,
        IdStateText = 1331,
        IdSelectionNumber = 1335,
        IdFunction = 1491,
        IdVariant1 = 1613, IdVariant2 = 1614,
    };
    // The lamps and the bit of 1070 each shows.
    static constexpr std::array<std::pair<int, int>, 13> kLamps{{
        {1325, 0}, {1326, 1}, {1323, 2}, {1324, 3}, {1328, 4}, {1306, 5}, {1307, 6},
        {1329, 8}, {1330, 9}, {1333, 10}, {1332, 11}, {1308, 12}, {1334, 13}}};

    CPropertyPageLevel304();

    // The mode the channel's combo box shows, -1 for none.
    int ModeOf(int channel);

protected:
    void DeclareFields() override;
    void CreateControls() override;
    void OnValueEdited(int key) override;
    void OnRefreshTick() override;

private:
    bool ThreeChannels() const;
    bool Above400() const;
    void SetMode(int channel, int mode);
    void StartFunction();

    std::array<std::vector<int>, 3> m_modes;
    QPushButton* m_clear = nullptr;
    QPushButton* m_function = nullptr;
    QLabel* m_stateText = nullptr;
};
