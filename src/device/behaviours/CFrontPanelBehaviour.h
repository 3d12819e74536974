// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's front panel: a two-line display (1151, 1152: 16 characters each; 1153:
// eight codes for the user-defined characters 0x80..0x87, then the cursor byte: bit 7 on,
// low bits the position, 0..15 line 1, 64..79 line 2), the indicator lamp (1132: 0 = lit,
// lit while an alarm is active) and the keys (the key code written to 1150).
//
// A small menu: the status screen (model, time, one sensor value at a time), and behind OK
// the sensors, the sockets, maintenance mode, the clock (OK starts editing with a blinking
// cursor, up/down change, left/right move, OK stores) and device information.
#pragma once

#include <QByteArray>
#include <cstdint>

#include "device/CDeviceBehaviour.h"

class CDeviceClock;
class CLiveStatesBehaviour;

class CFrontPanelBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kKeyParameter = 1150;
    static constexpr int kLine1Parameter = 1151;
    static constexpr int kLine2Parameter = 1152;
    static constexpr int kAttributesParameter = 1153;
    static constexpr int kLampParameter = 1132;
    static constexpr int kWidth = 16;
    // Key codes of the panel.
    enum Key { Left = 1, Right = 2, Up = 3, Down = 4, Escape = 5, Ok = 6, F1 = 7, F2 = 8, F4 = 9, F3 = 10, F5 = 12 };
    enum Screen { Status, Menu, Sensors, Sockets, Maintenance, Clock, Info };
    // Back to the status screen after this long without a key (real time).
    static constexpr int64_t kIdleMs = 60 * 1000;

    // states may be null (lamp and alarm line then stay off).
    CFrontPanelBehaviour(CDeviceClock& clock, const CLiveStatesBehaviour* states);

    void Attach(CBusDevice& device) override;
    void Restart(CBusDevice& device) override;
    bool IsVolatile(int number) const override;

    Screen CurrentScreen() const { return m_screen; }
    void PressKey(CBusDevice& device, int code);
    // Fills 1151..1153 and 1132 from the current state.
    void Render(CBusDevice& device);

private:
    QByteArray StatusLine2(CBusDevice& device);
    QByteArray SensorLabel(CBusDevice& device, int input) const;
    int SensorInputs(CBusDevice& device, int* inputs) const;
    void OpenMenuItem(CBusDevice& device, int item);

    CDeviceClock& m_clock;
    const CLiveStatesBehaviour* m_states;
    Screen m_screen = Status;
    int m_menuIndex = 0;
    int m_sensor = 0;
    int m_socketPage = 0;
    int m_infoPage = 0;
    bool m_editing = false;
    int m_editField = 0;  // 0 hours, 1 minutes
    int m_editHour = 0;
    int m_editMinute = 0;
    int64_t m_lastKeyMs = 0;
};
