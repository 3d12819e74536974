// SPDX-License-Identifier: GPL-3.0-or-later
// Service page: reads and writes one parameter of any device on the bus by number and bus
// address, straight through the protocol engine and without messages; a read can repeat on
// every refresh tick. Present only in service mode.
#pragma once

#include <cstdint>

#include "ui/page/CMyPropertyPage.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

class CPropertyPageSWMBus : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdValue = 1242,
        IdNumber = 1271,
        IdRead = 1272,
        IdRepeat = 1273,
        IdWrite = 1275,
        IdSigned = 1626,
        IdAddress = 1675,
    };

    CPropertyPageSWMBus();

    // The buttons' operations.
    void ReadOnce();
    void WriteOnce();

    int16_t Number() const { return m_number; }
    uint8_t Address() const { return m_address; }
    double Value() const { return m_value; }
    bool Repeat() const { return m_repeat; }

    bool OnKillActive() override;

    // The value as the field shows it: shortest form, no group separators.
    static QString FormatValue(double value);

protected:
    void CreateControls() override;
    void DoDataExchange(bool saveAndValidate) override;
    void OnRefreshTick() override;

private:
    int16_t m_number = 0;
    uint8_t m_address = 0;
    double m_value = 0;
    bool m_signed = false;
    bool m_repeat = false;

    QSpinBox* m_numberEdit = nullptr;
    QSpinBox* m_addressEdit = nullptr;
    QLineEdit* m_valueEdit = nullptr;
    QCheckBox* m_signedBox = nullptr;
    QCheckBox* m_repeatBox = nullptr;
};
