// SPDX-License-Identifier: GPL-3.0-or-later
// The about dialog (template 100): strings 350 and 125 in controls 1241 and 1242. As a
// splash screen it closes itself after 5 s, or at once on a click.
#pragma once

#include <QDialog>
#include <QTimer>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(bool splash, QWidget* parent = nullptr);
    bool IsSplash() const { return m_splash; }
    static constexpr int kSplashMs = 5000;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool m_splash;
    QTimer m_timer;
};
