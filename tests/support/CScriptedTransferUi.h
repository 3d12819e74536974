// SPDX-License-Identifier: GPL-3.0-or-later
// A CTransferUi for tests: records what a transfer or a settings command showed and answers
// from a script, so tests assert the exact messages, questions and progress.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "params/CTransferUi.h"

class CScriptedTransferUi : public CTransferUi {
public:
    struct Message {
        int id;
        CUserInteraction::Icon icon;
        CUserInteraction::Buttons buttons;
        QStringList args;
    };

    std::unique_ptr<CTransferProgress> OpenProgressWindow(bool* cancelFlag) override;
    bool PumpPendingMessages() override;
    int AskTransferFailure(int stringId, const CParameter& parameter, uint16_t status, int failures) override;
    int ShowMessage(int stringId, CUserInteraction::Icon icon, CUserInteraction::Buttons buttons,
                    const QStringList& args = {}) override;
    QString GetSaveFileName(const QString& defaultName, const QString& defaultExtension,
                            const QString& filter) override;
    QString GetOpenFileName(const QString& filter) override;

    // Message ids in the order shown (questions and transfer failures included).
    QList<int> MessageIds() const;

    // Answers: for a question with this id (Yes/No/OK/Cancel), else a safe default
    // (IdYes for Yes/No, IdOk for OK/Cancel). Transfer failures answer failureAnswer.
    QHash<int, int> answers;
    int failureAnswer = CUserInteraction::IdAbort;
    // Called between elements with the number of pumps so far; return true to cancel.
    std::function<bool(int pumps)> cancelWhen;
    // Decides a transfer failure instead of failureAnswer when set.
    std::function<int(const CParameter& parameter, int failures)> onFailure;
    bool quitting = false;
    QString saveFileName;
    QString openFileName;

    QList<Message> messages;
    QStringList itemTexts;
    QStringList captions;
    QString lastDefaultName;
    QString lastDefaultExtension;
    int failuresAsked = 0;
    int pumps = 0;
    int progressRange = -1;
    int progressPos = -1;
    int windowsOpened = 0;
    int windowsClosed = 0;
    bool* activeCancelFlag = nullptr;
};
