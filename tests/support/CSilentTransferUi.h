// SPDX-License-Identifier: GPL-3.0-or-later
// A transfer UI for benchmarks: no window, no file dialog, every message answered alike.
#pragma once

#include <memory>

#include "params/CTransferUi.h"

class CSilentTransferUi : public CTransferUi {
public:
    explicit CSilentTransferUi(int answer) : m_answer(answer) {}

    struct Progress : CTransferProgress {
        void SetRange(int) override {}
        void SetPos(int) override {}
        void SetCaption(const QString&) override {}
        void SetItemText(const QString&) override {}
    };
    std::unique_ptr<CTransferProgress> OpenProgressWindow(bool*) override {
        return std::make_unique<Progress>();
    }
    bool PumpPendingMessages() override { return true; }
    int ShowMessage(int, CUserInteraction::Icon, CUserInteraction::Buttons,
                    const QStringList&) override {
        return m_answer;
    }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetOpenFileName(const QString&) override { return {}; }

private:
    int m_answer;
};
