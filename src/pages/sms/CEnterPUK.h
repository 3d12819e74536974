// SPDX-License-Identifier: GPL-3.0-or-later
// The PUK dialog (template 274): one number, written to the module as parameter 9.
#pragma once

#include <QDialog>

class QLineEdit;

class CEnterPUK : public QDialog {
    Q_OBJECT
public:
    enum { IdPuk = 1569 };
    explicit CEnterPUK(QWidget* parent = nullptr);
    int Puk() const;

private:
    QLineEdit* m_edit = nullptr;
};
