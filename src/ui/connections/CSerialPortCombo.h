// SPDX-License-Identifier: GPL-3.0-or-later
// The device field of the connection editor: the system's serial ports, read again whenever
// the list opens, so a cable plugged in meanwhile shows up. A port with a /dev/serial/by-id
// name is offered under that name, first: it stays the same across re-plugging, where ttyUSB
// numbers may change. Any path can still be typed (pseudo-terminals are not listed).
#pragma once

#include <QComboBox>

class CSerialPortCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CSerialPortCombo(QWidget* parent = nullptr);
    // Re-reads the ports; the text in the field stays.
    void Refresh();

protected:
    void showPopup() override;
};
