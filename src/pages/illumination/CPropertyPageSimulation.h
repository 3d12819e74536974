// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's simulation function: four real values and an integer with their limits,
// two times of day, seven day switches sharing one parameter byte, and the current level
// (read only) as a bar and a picture.
#pragma once

#include <cstdint>

#include "ui/page/CMyPropertyPage.h"

class CLevelPicture;
class QLabel;
class QProgressBar;

class CPropertyPageSimulation : public CMyPropertyPage {
    Q_OBJECT
public:
    // Control identifiers.
    enum {
        IdValueA = 1005,
        IdValueD = 1006,
        IdValueB = 1007,
        IdValueC = 1008,
        IdValueE = 1014,
        IdFirstSwitch = 1015,  // 1015 .. 1021: bit 0 .. 6 of parameter 712
        IdTime1 = 1188,
        IdTime2 = 1189,
        IdPicture = 1191,
        IdLevelBar = 1192,
    };

    CPropertyPageSimulation();

    int Level() const;
    uint8_t SwitchByte() const { return uint8_t(ComposedValue(712)); }

protected:
    void DeclareFields() override;
    void CreateControls() override;
    // The level shows as soon as it is read, even when a later read fails.
    void OnFieldRead(int number) override;

private:
    void ShowLevel();

    QProgressBar* m_levelBar = nullptr;
    QLabel* m_levelText = nullptr;
    CLevelPicture* m_picture = nullptr;
};
