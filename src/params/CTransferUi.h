// SPDX-License-Identifier: GPL-3.0-or-later
// What bulk transfers and settings-file commands need from the user side: a progress window
// with a cancel button, the dispatch of waiting window messages between two parameters, the
// per-parameter Abort/Retry/Ignore question, messages and file dialogs. The GUI, the
// command-line tool and the tests implement it; the core never includes a widget header.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "base/CUserInteraction.h"
#include "params/CTransferProgress.h"

class CParameter;

class CTransferUi {
public:
    virtual ~CTransferUi() = default;

    // Opens and shows a progress window; it closes when destroyed. cancelFlag (caller-owned)
    // is set to true by the window's cancel button; with nullptr the window offers no cancel.
    virtual std::unique_ptr<CTransferProgress> OpenProgressWindow(bool* cancelFlag) = 0;
    // Dispatches waiting window messages; false when the program is quitting.
    virtual bool PumpPendingMessages() = 0;
    // A parameter could not be transferred: stringId is 124 (read) or 120 (write), %1 the
    // parameter's name and %2 its number. failures counts this parameter's failed attempts
    // so far (1 on the first). Returns IdAbort, IdRetry or IdIgnore.
    virtual int AskTransferFailure(int stringId, const CParameter& parameter, uint16_t status, int failures);
    // A message box by string number, as CUserInteraction::ShowMessage.
    virtual int ShowMessage(int stringId, CUserInteraction::Icon icon, CUserInteraction::Buttons buttons,
                            const QStringList& args = {}) = 0;
    // File dialogs of the settings files. Empty result = the user cancelled.
    virtual QString GetSaveFileName(const QString& defaultName, const QString& defaultExtension,
                                    const QString& filter) = 0;
    virtual QString GetOpenFileName(const QString& filter) = 0;
};
