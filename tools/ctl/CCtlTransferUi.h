// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's side of bulk transfers: --on-error instead of the Abort/Retry/Ignore
// question, --yes for the compatibility questions (through the context), Ctrl-C as the cancel
// button, the FILE argument instead of the file dialogs, a progress bar on a terminal.
#pragma once

#include <QString>

#include "params/CTransferUi.h"

class CCtlContext;

// Ctrl-C cancels the running transfer while this lives; a second one ends the program.
class CInterruptGuard {
public:
    CInterruptGuard();
    ~CInterruptGuard();
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

private:
    void (*m_previous)(int);
};

class CCtlTransferUi : public CTransferUi {
public:
    enum class OnError { Abort, Ignore, Retry };

    CCtlTransferUi(CCtlContext& ctx, OnError onError, int retries, const QString& file);
    // "abort", "ignore" or "retry=N" (empty: abort); false for anything else.
    static bool ParseOnError(const QString& text, OnError& mode, int& retries);

    std::unique_ptr<CTransferProgress> OpenProgressWindow(bool* cancelFlag) override;
    bool PumpPendingMessages() override;
    int AskTransferFailure(int stringId, const CParameter& parameter, uint16_t status,
                           int failures) override;
    int ShowMessage(int stringId, CUserInteraction::Icon icon, CUserInteraction::Buttons buttons,
                    const QStringList& args) override;
    QString GetSaveFileName(const QString&, const QString&, const QString&) override {
        return m_file;
    }
    QString GetOpenFileName(const QString&) override { return m_file; }

private:
    CCtlContext& m_ctx;
    OnError m_onError;
    int m_retries;
    QString m_file;
    bool* m_cancelFlag = nullptr;
};
