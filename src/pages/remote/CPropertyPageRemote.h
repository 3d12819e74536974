// SPDX-License-Identifier: GPL-3.0-or-later
// The remote front panel: the controller's display and lamp mirrored live, its keys pressed
// by mouse or keyboard.
#pragma once

#include <cstdint>

#include "ui/page/CMyPropertyPage.h"

class CFrontKorvalisB;

class CPropertyPageRemote : public CMyPropertyPage {
    Q_OBJECT
public:
    CPropertyPageRemote();

    bool InitHelpTopics() override;
    CFrontKorvalisB* Front() const { return m_front; }
    // Sends a key code to the controller as if the key were pressed on its panel.
    void PressKey(uint8_t code);
    // The key code a keyboard key presses; 0 for none.
    static uint8_t KeyCodeFor(int qtKey);

protected:
    void CreateControls() override;
    void OnRefreshTick() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CFrontKorvalisB* m_front = nullptr;
};
