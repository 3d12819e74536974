// SPDX-License-Identifier: GPL-3.0-or-later
// Searches a range of COM port numbers for a controller by running the full connect
// sequence on each (template 254). On success the connection holds the port found.
#pragma once

#include <QDialog>

#include "link/CConnection.h"

class CKorvalisControlApp;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

class CScanCOMDlg : public QDialog {
    Q_OBJECT
public:
    CScanCOMDlg(CKorvalisControlApp& app, CConnection& connection, QWidget* parent = nullptr);

    void reject() override;
    bool IsScanning() const;

private:
    void Start();
    void Probe();
    void Finish();

    CKorvalisControlApp& m_app;
    CConnection& m_connection;
    QPushButton* m_start;
    QSpinBox* m_from;
    QSpinBox* m_to;
    QProgressBar* m_progress;
    QTimer* m_timer;
    uint32_t m_last = 0;
    bool m_cancelled = false;
};
