// SPDX-License-Identifier: GPL-3.0-or-later
// One illumination channel (instance index k, parameters 180 + 32k ..): its light run as a
// list and a chart, dimmed or switching, the channel percentage, option flags (firmware 407
// and later) and the lamp's operating hours (1033 + 2k).
#pragma once

#include <QColor>
#include <cstdint>

#include "schedule/CIlluminationRun.h"
#include "ui/page/CMyPropertyPage.h"

class CPointList;
class CPointListBox;
class CRunChartView;
class QLabel;

class CPropertyPageIllumination : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdChart = 1165,
        IdList = 1446,
        IdAdd = 1443,
        IdEdit = 1437,
        IdDelete = 1444,
        IdMode = 1309,
        IdPercent = 1034,
        IdHours = 1283,
        IdReset = 1281,
        IdSet = 1282,
        IdName = 1498,
        IdOption4 = 1686,
        IdOption1 = 1687,
        IdOption2 = 1688,
        IdOption3 = 1689,
        IdNote = 1500,
    };
    enum { KeyPoints = 1446, KeyPercent = 1034, KeyMode = 1309, KeyOptions = 1686, KeyName = 1498 };

    CPropertyPageIllumination();

    int Block() const { return 180 + 32 * InstanceIndex(); }
    int HoursParameter() const { return 1033 + 2 * InstanceIndex(); }
    const CIlluminationRun& Run() const { return m_run; }
    // 0 dimming, 1 switching (a mode the device reports otherwise draws as dimming).
    int Mode() const { return m_mode == CIlluminationRun::Switching ? 1 : 0; }
    double Hours() const { return m_hours; }
    // The channel's curve colour from the application's settings.
    static QColor CurveColour(int channel);
    static QStringList RowTexts(const CIlluminationRunPoint& point, int mode);

    bool OnKillActive() override;

protected:
    void CreateControls() override;
    int ReadCount() const override { return 28; }
    int WriteCount() const override { return 28; }
    bool ReadValues() override;
    bool WriteValues() override;
    void OnValueEdited(int key) override;
    void UpdateControlStates() override;

private:
    bool OptionsApply() const;
    void RebuildList();
    void PointsEdited();
    // Opens the editor of the current mode; false on Cancel.
    bool EditRecord(CIlluminationRunPoint& point);

    CIlluminationRun m_run;
    int m_mode = 0;
    double m_percent = 0;
    double m_hours = 0;
    uint32_t m_options = 0;
    QString m_name;

    CRunChartView* m_chart = nullptr;
    CPointList* m_list = nullptr;
    CPointListBox* m_points = nullptr;
};
