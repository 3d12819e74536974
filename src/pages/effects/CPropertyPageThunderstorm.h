// SPDX-License-Identifier: GPL-3.0-or-later
// Up to four daily thunderstorms (start time and duration each), the weekdays they happen
// on, further storm values (three of them from firmware 407 on), and a command that starts
// a thunderstorm at once.
#pragma once

#include "ui/page/CMyPropertyPage.h"

class CEditSpin;

class CPropertyPageThunderstorm : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdCount = 1131,
        IdValue740 = 1353,
        IdValue741 = 1354,
        IdValue752 = 1226,
        IdValue753 = 1228,
        IdValue754 = 1230,
        IdStartNow = 1350,
        IdStartDuration = 1351,
    };
    static constexpr int kTimeIds[4] = {1132, 1133, 1136, 1138};
    static constexpr int kDurationIds[4] = {1218, 1220, 1222, 1224};
    static constexpr int kDayIds[7] = {1002, 1009, 1016, 1017, 1023, 1041, 1056};
    static constexpr int kCommand = 1058;

    CPropertyPageThunderstorm();

    // The controller command that starts a thunderstorm of this duration now.
    static int StartCommand(int duration) { return duration * 256 + 3; }

protected:
    void DeclareFields() override;
    void CreateControls() override;
    void OnValueEdited(int key) override;

private:
    bool HasFirmware407() const;
    void StartNow();

    CEditSpin* m_startDuration = nullptr;
};
