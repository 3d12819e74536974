// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CSerialPortCombo.h"

#include <QFileInfo>
#include <QSignalBlocker>

#include "ui/connections/CSerialPortListDlg.h"

CSerialPortCombo::CSerialPortCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    Refresh();
}

void CSerialPortCombo::Refresh() {
    const QString text = currentText();
    const QSignalBlocker block(this);
    clear();
    for (const CSerialPortListDlg::Port& p : CSerialPortListDlg::ChoicePorts()) {
        const QString name = p.stableName.isEmpty() ? p.path : p.stableName;
        QStringList about;
        if (!p.stableName.isEmpty()) about << QFileInfo(p.path).fileName();
        if (!p.description.isEmpty()) about << p.description;
        addItem(about.isEmpty() ? name : name + QStringLiteral("  (") + about.join(QStringLiteral(", ")) + QLatin1Char(')'),
                name);
    }
    setCurrentIndex(-1);
    setEditText(text);
}

void CSerialPortCombo::showPopup() {
    Refresh();
    QComboBox::showPopup();
}
