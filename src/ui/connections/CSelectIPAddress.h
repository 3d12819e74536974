// SPDX-License-Identifier: GPL-3.0-or-later
// Choice among the network modules that answered the discovery (template 235).
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class CSelectIPAddress : public QDialog {
    Q_OBJECT
public:
    // OK writes the chosen address into result; Cancel leaves it unchanged.
    CSelectIPAddress(const QStringList& addresses, QString& result, QWidget* parent = nullptr);

    void accept() override;

private:
    void UpdateOk();

    QString& m_result;
    QListWidget* m_list;
    QPushButton* m_ok;
};
