// SPDX-License-Identifier: GPL-3.0-or-later
// All fitted sensor inputs in one list: title, current value (one input per refresh tick,
// cycling) and setpoint (read on activation).
#pragma once

#include "ui/page/CMyPropertyPage.h"

class QTreeWidget;

class CPropertyPageSensorOverview : public CMyPropertyPage {
    Q_OBJECT
public:
    enum { IdList = 1417 };
    CPropertyPageSensorOverview();
    bool OnSetActive() override;

protected:
    void CreateControls() override;
    void OnRefreshTick() override;

private:
    QTreeWidget* m_list = nullptr;
    int m_input = 0;
    int m_row = 0;
};
