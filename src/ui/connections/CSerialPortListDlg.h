// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports this computer has, where the other platform opens its device manager:
// device path, description, manufacturer, serial number and the stable /dev/serial/by-id
// name. "Use this port" hands the chosen device path back to the caller.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QTableWidget;
class QLabel;
class QPushButton;

class CSerialPortListDlg : public QDialog {
    Q_OBJECT
public:
    struct Port {
        QString path;
        QString description;
        QString manufacturer;
        QString serialNumber;
        QString stableName;  // /dev/serial/by-id/... pointing at path, empty when none
    };

    // choosing: show the "Use this port" button.
    explicit CSerialPortListDlg(bool choosing, QWidget* parent = nullptr);

    // The ports the system lists (pseudo-terminals are not among them), sorted by path.
    static QList<Port> SystemPorts();
    // The same, those with a by-id name first: the order in which ports are offered.
    static QList<Port> ChoicePorts();
    // The /dev/serial/by-id link that resolves to path; empty when there is none.
    static QString StableName(const QString& path);

    // The device path of the chosen row (prefers the stable name); empty when none.
    QString ChosenPath() const { return m_chosen; }

private:
    // Reads the ports again (a cable plugged in or out), keeping the selected one.
    void Fill();
    void UpdateButtons();
    void Choose();

    QTableWidget* m_table;
    QLabel* m_none = nullptr;
    QPushButton* m_use = nullptr;
    QList<Port> m_ports;
    QString m_chosen;
};
