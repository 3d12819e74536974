// SPDX-License-Identifier: GPL-3.0-or-later
// Edits a copy of one level channel: mode (the two-channel modes only on the first
// channel), delay, count, option, time and name.
#pragma once

#include <vector>

#include "pages/level/LevelChannelRecord.h"
#include "ui/page/CFieldDialog.h"

class CEditLevelSensor : public CFieldDialog {
    Q_OBJECT
public:
    enum {
        IdDelay = 1692,
        IdMode = 1694,
        IdTime = 1695,
        IdOption = 1696,
        IdCount = 1697,
        IdName = 1498,
    };

    CEditLevelSensor(const LevelChannelRecord& channel, bool firstChannel, int number,
                     QWidget* parent = nullptr);
    const LevelChannelRecord& Record() const { return m_rec; }
    // The modes the combo box offers, in its order.
    const std::vector<int>& Modes() const { return m_modes; }

protected:
    bool Validate() override;

private:
    LevelChannelRecord m_rec;
    std::vector<int> m_modes;
    int m_modeIndex = -1;
    double m_count = 1;
    bool m_option = true;
};
