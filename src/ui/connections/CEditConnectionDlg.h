// SPDX-License-Identifier: GPL-3.0-or-later
// Editor of one stored connection (template 217): serial port or network module, bus address,
// reply timeout, SMS module. Works on the connection it is given; OK writes the controls back.
#pragma once

#include <QDialog>
#include <QSet>
#include <functional>

#include "link/CConnection.h"

class CDiscoveryUi;
class CKorvalisControlApp;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QUrl;

class CEditConnectionDlg : public QDialog {
    Q_OBJECT
public:
    CEditConnectionDlg(CKorvalisControlApp& app, CConnection& connection, QWidget* parent = nullptr);
    ~CEditConnectionDlg() override;

    // Asked on OK with the name entered; false keeps the editor open with the entry (the
    // check tells the user why).
    void SetNameCheck(std::function<bool(const QString&)> check) { m_nameCheck = std::move(check); }
    // The discovery dialogs the configuration button uses (default: the program's own).
    void SetDiscoveryUi(CDiscoveryUi* ui) { m_discoveryUi = ui; }
    // How web addresses are opened (default: the desktop's browser); tests record them.
    static void SetUrlOpener(std::function<void(const QUrl&)> opener);

    // The stored port number stays the file's key: a device path typed or picked for it
    // becomes the number whose mapping already gives that path, or the number's per-user
    // override. When other stored connections use the number (taken), a new path goes to a
    // free number instead, so that they keep their device. Returns the port number to store.
    static uint32_t MapDevicePath(uint32_t portNumber, const QString& devicePath,
                                  const QSet<uint32_t>& taken = {});

    void accept() override;

private:
    void ShowType(bool tcp);
    void OnAutomaticToggled(bool on);
    void OnConfiguration();
    void OnScan();
    void OnSerialPorts();
    void OnPortNumberChanged(int port);
    void OnDevicePicked();
    void ControlsToConnection(CConnection& c) const;

    CKorvalisControlApp& m_app;
    CConnection& m_connection;
    std::function<bool(const QString&)> m_nameCheck;
    CDiscoveryUi* m_discoveryUi = nullptr;
    CDiscoveryUi* m_ownDiscoveryUi = nullptr;

    QLineEdit* m_name;
    QRadioButton* m_serial;
    QRadioButton* m_tcp;
    QSpinBox* m_deviceAddress;
    QLineEdit* m_timeout;
    QSpinBox* m_comPort;
    QComboBox* m_device;
    QPushButton* m_serialPorts;
    QComboBox* m_baud;
    QLineEdit* m_address;
    QCheckBox* m_automatic;
    QSpinBox* m_tcpPort;
    QCheckBox* m_sms;
    QLabel* m_whereLabel;
    QLabel* m_baudLabel;
    QLabel* m_tcpPortLabel;
    QLabel* m_deviceLabel;
    QPushButton* m_scan;
    QPushButton* m_configuration;
};
