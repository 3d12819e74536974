// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's simulation function: four real values and an integer with their limits,
// two times of day, seven day switches sharing one parameter byte, and the current level
// (read only) as a bar and a picture.
#pragma once

#include <array>
#include <cstdint>

#include "ui/sheet/CMyPropertyPage.h"

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

    int Level() const { return m_level; }
    uint8_t SwitchByte() const { return m_switchByte; }

protected:
    bool InitHelpTopics() override;
    void CreateControls() override;
    void DoDataExchange(bool saveAndValidate) override;
    int ReadCount() const override { return 11; }
    bool ReadValues() override;
    int WriteCount() const override { return 11; }
    bool WriteValues() override;

private:
    void ShowLevel();

    double m_valueA = 0;  // 490
    double m_valueB = 0;  // 491 / 10
    double m_valueC = 0;  // 492 / 10
    double m_valueD = 0;  // 493
    int m_time1 = 0;      // 496, minutes
    int m_time2 = 0;      // 497, minutes
    int m_level = 0;      // 498, read only
    std::array<bool, 7> m_switches{};
    uint8_t m_switchByte = 0;  // 712
    double m_valueE = 0;       // 714, whole numbers

    QProgressBar* m_levelBar = nullptr;
    QLabel* m_levelText = nullptr;
    CLevelPicture* m_picture = nullptr;
};
