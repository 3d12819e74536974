// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's side of bulk transfers and settings files: the progress window, the window
// messages between two parameters, message boxes and the file dialogs of the main window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "params/CTransferUi.h"

class CGuiTransferUi : public CTransferUi {
public:
    explicit CGuiTransferUi(QWidget* parent) : m_parent(parent) {}

    std::unique_ptr<CTransferProgress> OpenProgressWindow(bool* cancelFlag) override;
    bool PumpPendingMessages() override;
    int ShowMessage(int stringId, CUserInteraction::Icon icon, CUserInteraction::Buttons buttons,
                    const QStringList& args = {}) override;
    QString GetSaveFileName(const QString& defaultName, const QString& defaultExtension,
                            const QString& filter) override;
    QString GetOpenFileName(const QString& filter) override;

private:
    QPointer<QWidget> m_parent;
};
