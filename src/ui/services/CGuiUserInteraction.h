// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's answer to what the core asks: message boxes, the login dialog, and the main
// window's progress bar and title.
#pragma once

#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include "base/CUserInteraction.h"

class CGuiUserInteraction : public CUserInteraction {
public:
    int ShowMessage(int stringId, Icon icon, Buttons buttons,
                    const QStringList& args = {}) override;
    int ShowText(const QString& text, Icon icon, Buttons buttons) override;
    bool Login(uint16_t expected) override;

    void SetProgressRange(int maximum) override;
    void SetProgressPos(int pos) override;
    int GetProgressPos() const override;
    void SetTitle(const QString& title) override;
    void PumpPendingMessages() override;

    // The main window: the title goes there and dialogs are centred on it.
    void SetWindow(QWidget* window) { m_window = window; }
    void SetProgressBar(QProgressBar* bar) { m_bar = bar; }

private:
    QPointer<QWidget> m_window;
    QPointer<QProgressBar> m_bar;
    QString m_title;
};
