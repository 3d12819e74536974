// SPDX-License-Identifier: GPL-3.0-or-later
// The special lamp (firmware 402 on): the function on or off, its two lamps as channel
// numbers (stored 0-based), a flash with a chosen intensity and a second command.
#pragma once

#include "ui/page/CMyPropertyPage.h"

class QPushButton;

class CPropertyPageSpecialLamp : public CMyPropertyPage {
    Q_OBJECT
public:
    enum { IdOn = 1619, IdLampB = 1616, IdLampA = 1617, IdFlash = 1623, IdCommand = 1624 };
    static constexpr int kOn = 436, kLampB = 437, kLampA = 438;
    static constexpr int kFlashCommand = 1321, kCommand = 1320;

    CPropertyPageSpecialLamp();

    // Runs the flash dialog and sends the intensity chosen; the command below without one.
    void Flash();
    void SendCommand();

protected:
    void DeclareFields() override;
    void CreateControls() override;
    void UpdateControlStates() override;

private:
    int LampCount() const;

    QPushButton* m_flash = nullptr;
    QPushButton* m_command = nullptr;
};
