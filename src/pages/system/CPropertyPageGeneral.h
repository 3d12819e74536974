// SPDX-License-Identifier: GPL-3.0-or-later
// The General page: page 0 of the main window, present connected or not. The user picks a
// stored connection and connects here; the page shows what the connect learned (status,
// firmware, serial number, model), the controller's clock and calendar with their
// synchronisation options, its position on the globe and the options of its own display.
//
// Parameters, read in this order: 172, 170, 171, 173, 175, (702, 703, 701), 176, 177, 178;
// written in this order when changed: 172, 173, 175, 171, 170, (702, 703, 701), 176, 177,
// 178. The values in brackets exist on models B, D and G only.
//
// Control identifiers (objectName):
//   1500 connection list            1501 connections button      1514 connect button
//   1502 status text   1503 firmware version   1504 serial number   1505 model name
//   1510 time picker (170)          1511 date picker (171)         1512 set-from-PC button
//   1520 clock synchronisation (172)  1521 daylight saving (173)  1522 interval (175)
//   1530 date format list (176 bits 0-1)  1531 weekday box (176 bit 2)
//   1540 latitude (177)   1541 its hemisphere list   1542 longitude (178)   1543 its list
//   1550 .. 1552 backlight choice (701)   1553 night from (702)   1554 night until (703)
#pragma once

#include "ui/page/CMyPropertyPage.h"

class CEditSpin;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimeEdit;

class CPropertyPageGeneral : public CMyPropertyPage {
    Q_OBJECT
public:
    static constexpr int IdConnectionList = 1500;
    static constexpr int IdConnections = 1501;
    static constexpr int IdStatus = 1502;
    static constexpr int IdFirmware = 1503;
    static constexpr int IdSerial = 1504;
    static constexpr int IdModel = 1505;
    static constexpr int IdTime = 1510;
    static constexpr int IdDate = 1511;
    static constexpr int IdSetFromPc = 1512;
    static constexpr int IdConnect = 1514;
    static constexpr int IdSwitchA = 1520;
    static constexpr int IdSwitchB = 1521;
    static constexpr int IdOptionNumber = 1522;
    static constexpr int IdOptionList = 1530;
    static constexpr int IdOptionBit = 1531;
    static constexpr int IdLatitude = 1540;
    static constexpr int IdLatitudeSide = 1541;
    static constexpr int IdLongitude = 1542;
    static constexpr int IdLongitudeSide = 1543;
    static constexpr int IdChoiceFirst = 1550;  // 1550 .. 1552: index 0 .. 2 of parameter 701
    static constexpr int IdFrom = 1553;
    static constexpr int IdUntil = 1554;

    CPropertyPageGeneral();
    ~CPropertyPageGeneral() override;

    // "4.08" for 408: a decimal point after the first digit.
    static QString VersionText(int version);
    // The start-up splash is shown once per program run, when the main window first shows.
    // Tests that show a window before the page is created switch it off.
    static void SetSplashEnabled(bool enabled);

    // Sets the time and date pickers to the PC's clock and marks both changed.
    void SetFromPc();
    // Connects when not connected, else disconnects (asking about unsent changes).
    void ToggleConnection();
    // The blink flag of the connect button (toggles every fifth tick).
    bool BlinkOn() const { return m_blink; }

protected:
    void DeclareFields() override;
    void CreateControls() override;
    bool ReadValues() override;
    void UpdateControlStates() override;
    void OnAnyTick() override;
    void OnConnectionStateChanged() override { RefreshConnectionDisplay(); }
    void OnConnectionListChanged() override { FillConnectionList(); }
    void OnRefreshTick() override;

private:
    bool HasExtraOptions() const;  // models B, D and G
    bool IsModelF() const;
    void RefreshConnectionDisplay();
    void FillConnectionList();
    void ResetValues();
    void ShowSplashOnce();
    void ShowConnectText();
    // Re-reads one clock parameter into its picker unless the user is at it. False when the
    // read failed (the link-error flag is set then).
    bool RefreshPicker(int number, QWidget* picker, int& field);

    int m_tickCount = 0;
    bool m_blink = false;

    QComboBox* m_connectionList = nullptr;
    QPushButton* m_connections = nullptr;
    QPushButton* m_connect = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_firmware = nullptr;
    QLabel* m_serial = nullptr;
    QLabel* m_model = nullptr;
    QTimeEdit* m_timeEdit = nullptr;
    QDateEdit* m_dateEdit = nullptr;
    QPushButton* m_setFromPc = nullptr;
    QCheckBox* m_switchABox = nullptr;
    QCheckBox* m_switchBBox = nullptr;
    CEditSpin* m_optionNumberEdit = nullptr;
    QLabel* m_optionNumberLabel = nullptr;
    QComboBox* m_optionList = nullptr;
    QCheckBox* m_optionBitBox = nullptr;
    CEditSpin* m_latitudeEdit = nullptr;
    QComboBox* m_latitudeList = nullptr;
    CEditSpin* m_longitudeEdit = nullptr;
    QComboBox* m_longitudeList = nullptr;
    QButtonGroup* m_choiceGroup = nullptr;
    QRadioButton* m_choiceButtons[3] = {};
    QTimeEdit* m_fromEdit = nullptr;
    QTimeEdit* m_untilEdit = nullptr;
    QLabel* m_backlightLabel = nullptr;
    QLabel* m_nightLabel = nullptr;
    QLabel* m_untilLabel = nullptr;
    QGroupBox* m_clockBox = nullptr;
    QGroupBox* m_locationBox = nullptr;
    QGroupBox* m_displayBox = nullptr;
};
