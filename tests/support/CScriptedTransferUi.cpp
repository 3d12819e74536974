// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CScriptedTransferUi.h"

namespace {
class CRecordingProgress : public CTransferProgress {
public:
    explicit CRecordingProgress(CScriptedTransferUi& ui) : m_ui(ui) {}
    ~CRecordingProgress() override
    {
        ++m_ui.windowsClosed;
        m_ui.activeCancelFlag = nullptr;
    }
    void SetCaption(const QString& caption) override { m_ui.captions << caption; }
    void SetRange(int maximum) override
    {
        m_ui.progressRange = maximum;
        m_ui.progressPos = 0;
    }
    void SetPos(int position) override { m_ui.progressPos = position; }
    void SetItemText(const QString& text) override { m_ui.itemTexts << text; }

private:
    CScriptedTransferUi& m_ui;
};
}  // namespace

std::unique_ptr<CTransferProgress> CScriptedTransferUi::OpenProgressWindow(bool* cancelFlag)
{
    ++windowsOpened;
    activeCancelFlag = cancelFlag;
    return std::make_unique<CRecordingProgress>(*this);
}

bool CScriptedTransferUi::PumpPendingMessages()
{
    ++pumps;
    if (cancelWhen && activeCancelFlag && cancelWhen(pumps)) *activeCancelFlag = true;
    return !quitting;
}

int CScriptedTransferUi::AskTransferFailure(int stringId, const CParameter& parameter, uint16_t status, int failures)
{
    ++failuresAsked;
    CTransferUi::AskTransferFailure(stringId, parameter, status, failures);
    return onFailure ? onFailure(parameter, failures) : failureAnswer;
}

int CScriptedTransferUi::ShowMessage(int stringId, CUserInteraction::Icon icon, CUserInteraction::Buttons buttons,
                                     const QStringList& args)
{
    messages.append({stringId, icon, buttons, args});
    if (answers.contains(stringId)) return answers.value(stringId);
    switch (buttons) {
    case CUserInteraction::Buttons::Ok: return CUserInteraction::IdOk;
    case CUserInteraction::Buttons::OkCancel: return CUserInteraction::IdOk;
    case CUserInteraction::Buttons::YesNo:
    case CUserInteraction::Buttons::YesNoCancel: return CUserInteraction::IdYes;
    case CUserInteraction::Buttons::AbortRetryIgnore: return failureAnswer;
    }
    return CUserInteraction::IdCancel;
}

QString CScriptedTransferUi::GetSaveFileName(const QString& defaultName, const QString& defaultExtension,
                                             const QString&)
{
    lastDefaultName = defaultName;
    lastDefaultExtension = defaultExtension;
    return saveFileName;
}

QString CScriptedTransferUi::GetOpenFileName(const QString&)
{
    return openFileName;
}

QList<int> CScriptedTransferUi::MessageIds() const
{
    QList<int> ids;
    for (const Message& m : messages) ids << m.id;
    return ids;
}
