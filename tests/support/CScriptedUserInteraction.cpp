// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CScriptedUserInteraction.h"

#include "lang/CLanguage.h"
#include "ui/services/CFileDialogService.h"
#include "ui/services/CMessageService.h"

CScriptedUserInteraction::CScriptedUserInteraction()
{
    CMessageService::SetHandler([this](const CMessageService::Shown& m) {
        shown.append({m.stringId, m.text, m.icon, m.buttons});
        return Answer(m.buttons);
    });
    CFileDialogService::SetHandler([this](const CFileDialogService::Request& r) {
        fileDialogTitles.append(r.title);
        return m_fileNames.isEmpty() ? QString() : m_fileNames.takeFirst();
    });
}

CScriptedUserInteraction::~CScriptedUserInteraction()
{
    CMessageService::SetHandler({});
    CFileDialogService::SetHandler({});
}

void CScriptedUserInteraction::SetProgressRange(int maximum)
{
    progressMax = maximum;
    if (m_window)
        m_window->SetProgressRange(maximum);
}

void CScriptedUserInteraction::SetProgressPos(int pos)
{
    progressPos = pos;
    if (m_window)
        m_window->SetProgressPos(pos);
}

void CScriptedUserInteraction::SetTitle(const QString& t)
{
    title = t;
    if (m_window)
        m_window->SetTitle(t);
}

QList<int> CScriptedUserInteraction::MessageIds() const
{
    QList<int> ids;
    for (const Shown& s : shown)
        ids << s.stringId;
    return ids;
}

int CScriptedUserInteraction::Answer(Buttons buttons)
{
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    if (m_default >= 0)
        return m_default;
    switch (buttons) {
    case Buttons::Ok: return IdOk;
    case Buttons::OkCancel: return IdCancel;
    case Buttons::YesNo: return IdNo;
    case Buttons::YesNoCancel: return IdCancel;
    case Buttons::AbortRetryIgnore: return IdAbort;
    }
    return IdCancel;
}

int CScriptedUserInteraction::ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args)
{
    shown.append({stringId, TrArg(stringId, args), icon, buttons});
    return Answer(buttons);
}

int CScriptedUserInteraction::ShowText(const QString& text, Icon icon, Buttons buttons)
{
    shown.append({0, text, icon, buttons});
    return Answer(buttons);
}

bool CScriptedUserInteraction::Login(uint16_t expected)
{
    ++loginCalls;
    const int typed = m_logins.isEmpty() ? 0 : m_logins.takeFirst();
    if (static_cast<uint16_t>(typed) == expected)
        return true;
    ShowMessage(114, Icon::Stop, Buttons::Ok);
    return false;
}
