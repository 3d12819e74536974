// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the current bus address and takes a new one, 1..30 (template 187). Also the
// application's "set device address" command built on it.
#pragma once

#include <QDialog>
#include <cstdint>

class CKorvalisControlApp;
class QLineEdit;

class CDeviceAddressDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr uint16_t HelpTopic = 114;

    CDeviceAddressDlg(uint32_t currentAddress, QWidget* parent = nullptr);

    uint16_t NewAddress() const { return m_newAddress; }
    void accept() override;

    // Command 40008: the dialog on the selected stored connection; on OK the controller
    // learns its new address (parameter 5, not in simulation) and the stored connection
    // keeps it. The connection in use keeps the old one until the next connect. A write the
    // controller refuses or does not answer keeps the old address stored, since the next
    // connect would go to an address the controller does not have; its status is returned
    // (0 also when the user cancelled).
    static uint16_t RunCommand(CKorvalisControlApp& app, QWidget* parent);
    // The command after the dialog, for callers that have the address already.
    static uint16_t ApplyNewAddress(CKorvalisControlApp& app, uint16_t address);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Clamp();

    QLineEdit* m_new;
    uint16_t m_newAddress;
};
