// SPDX-License-Identifier: GPL-3.0-or-later
// Temperature-dependent light reduction: the channels that take part (755), the watched
// temperature or air-temperature input (758) and three temperature differences A, B and C
// (756, 757, 759, tenths of a degree Celsius). Shown in Fahrenheit when the chosen input
// shows Fahrenheit; held and sent in Celsius.
#pragma once

#include <vector>

#include "ui/page/CMyPropertyPage.h"

class CTempEditSpin;

class CPropertyPageTempDepLightRed : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdValueA = 1082,
        IdValueB = 1083,
        IdValueC = 1084,
        IdInput = 1367,
        IdFirstChannel = 1376,  // 1376 .. 1383: bit 0 .. 7 of 755
    };
    static constexpr int kUnitLabelIds[3] = {1553, 1554, 1555};

    CPropertyPageTempDepLightRed();

    // The input numbers the list offers, in list order.
    const std::vector<int>& Inputs() const { return m_inputs; }
    // The input the page watches now (the list's choice, else the value read).
    int ChosenInput() const;
    bool ShowsFahrenheit() const;

protected:
    void DeclareFields() override;
    void CreateControls() override;
    void OnValueEdited(int key) override;
    void UpdateControlStates() override;

private:
    // B at least A + 1 and at most 10, then A at most B - 1 and at least 1, C within 1..10;
    // a value this moves is sent too.
    void ApplyLimits();
    QString UnitText() const;

    std::vector<int> m_inputs;
    CTempEditSpin* m_values[3] = {};
};
