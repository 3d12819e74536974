// SPDX-License-Identifier: GPL-3.0-or-later
// The common base of the sensor input pages. One declaration per sensor type (SensorSpec)
// names the real-valued fields with their parameter, control, factor and ranges, the flags
// the type has, and its read and write orders; the base declares the fields from it and
// adds what every input shares: the mode selections, window times, durations, calibration
// display with the not-calibrated notice, operating time and the live value.
#pragma once

#include <vector>

#include "ui/page/CMyPropertyPage.h"

class QLabel;

class CPropertyPageSensor : public CMyPropertyPage {
    Q_OBJECT
public:
    // One real-valued field: block setting k (as for input 0), its control, raw per display
    // unit, what may be typed and what the spin buttons reach (spin 0..0 = as typed).
    struct RealSpec {
        int k = 0;  // 0: the type has no such field
        int control = 0;
        double factor = 1;
        double minimum = 0, maximum = 0;
        double spinMinimum = 0, spinMaximum = 0;
        bool isSigned = false;
        // What the Fahrenheit display does with it: nothing (a plain number), x * 1.8
        // (a temperature difference) or x * 1.8 + 32 (an absolute temperature).
        enum Degrees { NotDegrees, DegreeDifference, AbsoluteDegrees } degrees = NotDegrees;
        int captionId = 0;
    };
    struct SensorSpec {
        int type;
        int templateId;
        RealSpec setpoint, differenceA, differenceB, offset;
        // The offset's bounds used after a setpoint edit (before its own range).
        double offsetAfterSetpointMin, offsetAfterSetpointMax;
        double referenceFactor;         // calibration references, raw per display unit
        std::vector<RealSpec> further;      // 23, 26, 949, 950 as the type has them
        bool windowFlag;                // 17 (with the window)
        bool flag22;
        std::vector<int> modes;         // display-mode captions (27), empty = none
        bool fahrenheit;                // mode 1 shows degrees Fahrenheit
        bool densityCorrection;         // 950 is the sea-water density correction
        bool adjustButton;              // 1628: shift the calibration
        std::vector<int> readOrder, writeOrder;  // block settings k, as for input 0
    };
    static const SensorSpec* SpecFor(int type);

    enum {
        IdLive = 1074, IdWindowStart = 1078, IdWindowEnd = 1079, IdFlag22 = 1080,
        IdHoursReset = 1281, IdHoursSet = 1282, IdHours = 1283, IdReference1 = 1299,
        IdRaw1 = 1300, IdRaw2 = 1303, IdReference2 = 1304, IdFlagThreeWay = 1389,
        IdNotCalibrated = 1433, IdFiveWay = 1434, IdDuration1 = 1435, IdDuration2 = 1436,
        IdWindowFlag = 1442, IdSelection951 = 1610, IdSelection21 = 1612, IdThreeWay = 1622,
        IdFlagFiveWay = 1627, IdAdjust = 1628, IdModeFirst = 1370,
    };

    explicit CPropertyPageSensor(int type);
    const SensorSpec& Spec() const { return *m_spec; }
    int DisplayMode() const;
    // Called on every refresh tick: the current value into control 1074.
    virtual void ShowLiveValue();
    bool IsCalibrated() const;

protected:
    void DeclareFields() override;
    void CreateControls() override;
    void UpdateControlStates() override;
    void OnRefreshTick() override { ShowLiveValue(); }
    void OnValueEdited(int key) override;
    void OnFieldsRead() override;
    bool WriteValues() override;

    int N(int k) const;

private:
    void ClampOffset(bool afterSetpoint);
    void ApplyDisplayMode();
    QString Unit() const;

    const SensorSpec* m_spec;
    QLabel* m_live = nullptr;
    QLabel* m_notice = nullptr;
    QWidget* m_calibrationValues = nullptr;
    std::vector<QLabel*> m_unitLabels;
};
