// SPDX-License-Identifier: GPL-3.0-or-later
// One timer (instance index k, parameters 500 + 20k ..): weekday or cycle mode, the cycle
// tied to the controller's day counter (171), up to eight switching points of one type.
#pragma once

#include <cstdint>

#include "schedule/CTimer.h"
#include "ui/page/CMyPropertyPage.h"

class CPointList;
class CPointListBox;
class QLabel;

class CPropertyPageTimers305 : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdWeekdays = 1021,
        IdCycle = 1022,
        IdTypeOnOff = 1216,
        IdTypePulse = 1217,
        IdTypeInstant = 1325,
        IdCycleLength = 1128,
        IdOffset = 1130,
        IdOption = 1240,
        IdName = 1498,
        IdList = 1446,
        IdAdd = 1443,
        IdEdit = 1437,
        IdDelete = 1444,
        IdNote = 1500,
    };
    // Change keys.
    enum { KeyLength = 1128, KeyOffset = 1130, KeyPoints = 1446, KeyDays = 1002, KeyFlags = 1240,
           KeyMode = 1021, KeyType = 1216, KeyName = 1498 };
    static constexpr int kDayIds[7] = {1002, 1009, 1016, 1017, 1023, 1041, 1056};

    CPropertyPageTimers305();

    int Base() const { return 500 + 20 * InstanceIndex(); }
    const CTimer& Timer() const { return m_timer; }
    int Mode() const { return m_mode; }
    // The list's texts of one point for the timer's type.
    static QStringList RowTexts(const CSwitchtime& point, int type);

    bool OnKillActive() override;

protected:
    void CreateControls() override;
    int ReadCount() const override { return 20; }
    int WriteCount() const override { return 20; }
    bool ReadValues() override;
    bool WriteValues() override;
    void OnValueEdited(int key) override;
    void UpdateControlStates() override;

private:
    // 0, or the message of a failed check of changed points.
    int ValidationMessage() const;
    void RebuildList();
    void PointsEdited();

    CTimer m_timer;
    QString m_name;
    int m_mode = -1;
    int m_type = -1;
    uint32_t m_days = 0;
    double m_cycleLength = 1;
    double m_offset = 0;
    bool m_option = false;
    int64_t m_dayCounter = 0;
    uint32_t m_deviceFlags = 0;
    bool m_truncated = false;

    CPointList* m_list = nullptr;
    CPointListBox* m_points = nullptr;
};
