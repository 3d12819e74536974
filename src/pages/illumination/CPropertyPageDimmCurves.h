// SPDX-License-Identifier: GPL-3.0-or-later
// All channels' light runs in one chart, each in its colour and shown or hidden, and the
// controller's dimming simulation (1101 = 3) at a chosen minute (1099), switched off again
// whenever the page is left or removed.
#pragma once

#include <QList>
#include <QPointer>

#include "ui/page/CMyPropertyPage.h"

class CPropertyPageIllumination;
class CRunChartView;
class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

class CPropertyPageDimmCurves : public CMyPropertyPage {
    Q_OBJECT
public:
    enum { IdChart = 1165, IdFirstShow = 1277, IdSlider = 1423, IdTime = 1001, IdSimulation = 1424 };
    // Colour fields of curve 0..7, in curve order.
    static constexpr int kColourIds[8] = {1405, 1407, 1408, 1409, 1406, 1410, 1411, 1412};
    static constexpr int kModeParameter = 1101;
    static constexpr int kMinuteParameter = 1099;
    static constexpr int kSimulationMode = 3;

    CPropertyPageDimmCurves();

    bool IsSimulating() const { return m_simulating; }
    int CurveCount() const { return int(m_pages.size()); }

    void OnBeforeActivate() override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    void OnRemoving() override;

protected:
    void CreateControls() override;
    void UpdateControlStates() override;

private:
    void SetSimulation(bool on);
    void SwitchSimulationOff();
    void SendMinute();
    void ChooseColour(int curve);
    void ShowCurves();

    QList<QPointer<CPropertyPageIllumination>> m_pages;
    bool m_simulating = false;
    bool m_updating = false;
    CRunChartView* m_chart = nullptr;
    QCheckBox* m_show[8] = {};
    QPushButton* m_colour[8] = {};
    QSlider* m_slider = nullptr;
    QLabel* m_time = nullptr;
    QCheckBox* m_simulation = nullptr;
};
