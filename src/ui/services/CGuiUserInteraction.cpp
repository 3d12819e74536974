// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/services/CGuiUserInteraction.h"

#include <QCoreApplication>
#include <algorithm>

#include "ui/services/CLogin.h"
#include "ui/services/CMessageService.h"

int CGuiUserInteraction::ShowMessage(int stringId, Icon icon, Buttons buttons,
                                     const QStringList& args) {
    return CMessageService::ShowMessage(stringId, icon, buttons, args, m_window);
}

int CGuiUserInteraction::ShowText(const QString& text, Icon icon, Buttons buttons) {
    return CMessageService::ShowText(text, icon, buttons, m_window);
}

bool CGuiUserInteraction::Login(uint16_t expected) {
    CLogin dlg(expected, m_window);
    return dlg.exec() == QDialog::Accepted;
}

void CGuiUserInteraction::SetProgressRange(int maximum) {
    // A range of 0..0 would turn the bar into a busy indicator.
    if (m_bar) m_bar->setRange(0, maximum > 0 ? maximum : 1);
}

void CGuiUserInteraction::SetProgressPos(int pos) {
    if (!m_bar) return;
    m_bar->setValue(std::min(pos, m_bar->maximum()));
    // Transfers block the event loop; paint now so the bar moves while they run.
    if (m_bar->isVisible()) m_bar->repaint();
}

int CGuiUserInteraction::GetProgressPos() const {
    return m_bar ? m_bar->value() : 0;
}

void CGuiUserInteraction::SetTitle(const QString& title) {
    m_title = title;
    if (m_window) m_window->setWindowTitle(title);
}

void CGuiUserInteraction::PumpPendingMessages() {
    QCoreApplication::processEvents();
}
