// SPDX-License-Identifier: GPL-3.0-or-later
// Wireless settings of a network module (template 228), written into the controller as a
// 21-byte record to parameter 1141 + module index.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <cstdint>

class CKorvalisControlApp;
class QLineEdit;
class QListWidget;
class QRadioButton;

class CLantronixConfig : public QDialog {
    Q_OBJECT
public:
    static constexpr int RecordSize = 21;
    static constexpr int FirstParameter = 1141;

    // enable: a wireless module; the network type and name can be edited.
    CLantronixConfig(CKorvalisControlApp& app, uint8_t moduleIndex, bool enable, QWidget* parent = nullptr);

    // Address (first octet first; 0.0.0.0 for automatic addressing), the option byte, and
    // the trimmed name cut to 16 bytes and zero-filled.
    static QByteArray BuildRecord(uint32_t ipv4, bool automatic, uint8_t option, const QString& networkName);

    void accept() override;
    // The status of the record's write (0 until one failed). A failed write has closed the
    // link, so the dialog closes too and the caller reports it the way of any failed access.
    uint16_t WriteStatus() const { return m_writeStatus; }

private:
    void ShowAddressField();

    CKorvalisControlApp& m_app;
    uint8_t m_moduleIndex;
    uint16_t m_writeStatus = 0;
    QLineEdit* m_address;
    QLineEdit* m_name;
    QRadioButton* m_option[2];
    QRadioButton* m_fixed;
    QRadioButton* m_automatic;
};
