// SPDX-License-Identifier: GPL-3.0-or-later
// The SMS module page (template 23180): the module's alert entries, its PIN, phone number
// and settings, and its live state. Every access goes to the module at bus address 34.
#pragma once

#include "alerts/CSMSArray.h"
#include "ui/page/CMyPropertyPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimeEdit;
class QTreeWidget;

class CPropertyPageSMSModule : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdTime = 1001,
        IdFirmware = 1027,
        IdSerial = 1223,
        IdModemState = 1308,
        IdEdit = 1437,
        IdAdd = 1443,
        IdDelete = 1444,
        IdTest = 1568,
        IdPuk = 1569,
        IdDuplicate = 1580,
        IdPin = 1632,
        IdList = 1633,
        IdPhone = 1636,
        IdPinOn = 1640,
        IdBar = 1641,
        IdStatus0 = 1642,  // .. 1645: bits 0..3 of 2050
        IdStatusFlag = 1646,
        IdNumberSpin = 1647,
        IdCounter = 1648,
        IdNumber = 1649,
        IdActive = 1661,
        IdDiagnosis = 1667,
    };
    // Change keys besides the parameter numbers.
    enum { KeyEntries = -1 };

    CPropertyPageSMSModule();

    const CSMSArray& Entries() const { return m_entries; }
    int SelectedRow() const;
    void SelectRow(int row);
    // The buttons' operations (the dialog runs through RunEditor).
    void AddEntry();
    void EditEntry();
    void DuplicateEntry();
    void DeleteEntry();
    void TestEntry();
    void EnterPuk();
    void OpenDiagnosis();
    // Runs the entry dialog on entry; true on OK. Tests replace it.
    std::function<bool(CSMS& entry)> runEditor;
    std::function<bool(int& puk)> runPuk;
    int LiveStep() const { return m_liveStep; }

    void UpdateControlStates() override;

protected:
    void CreateControls() override;
    int ReadCount() const override { return 241; }
    int WriteCount() const override { return 245; }
    bool ReadValues() override;
    bool WriteValues() override;
    void OnRefreshTick() override;
    void DoDataExchange(bool saveAndValidate) override;

private:
    bool WriteAll(bool& changedActive);
    bool WriteText(int number, const QString& text);
    bool Write(int number, double value) { return WriteParam(number, value, false, true) == 0; }
    void FillList(int select);
    void ShowModemState(int state);
    void Edited(int key);

    CSMSArray m_entries;
    bool m_pinOn = false;
    QString m_pin;
    int m_number = 10;
    bool m_active = false;
    bool m_activeOnDevice = false;
    QString m_phone;
    int m_minutes = 0;
    int m_liveStep = 0;
    int m_modemState = -1;

    QTreeWidget* m_list = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_duplicate = nullptr;
    QPushButton* m_test = nullptr;
    QPushButton* m_puk = nullptr;
    QPushButton* m_diagnosis = nullptr;
    QCheckBox* m_pinBox = nullptr;
    QLineEdit* m_pinEdit = nullptr;
    QLineEdit* m_phoneEdit = nullptr;
    QSpinBox* m_numberSpin = nullptr;
    QTimeEdit* m_time = nullptr;
    QCheckBox* m_activeBox = nullptr;
    QLabel* m_firmware = nullptr;
    QLabel* m_serial = nullptr;
    QLabel* m_stateText = nullptr;
    QLabel* m_counter = nullptr;
    QProgressBar* m_bar = nullptr;
    QCheckBox* m_status[5] = {};
};
