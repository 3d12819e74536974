// SPDX-License-Identifier: GPL-3.0-or-later
// A user who answers from a script: every message shown is recorded, questions take the next
// queued answer (or a default), the login dialog takes a queued number.
#pragma once

#include <QList>
#include <QString>

#include "app/CUserInteraction.h"

class CScriptedUserInteraction : public CUserInteraction {
public:
    struct Shown {
        int stringId;  // 0 for ShowText
        QString text;
        Icon icon;
        Buttons buttons;
    };

    void QueueAnswer(int answer) { m_answers.append(answer); }
    void SetDefaultAnswer(int answer) { m_default = answer; }
    void QueueLogin(int typed) { m_logins.append(typed); }

    QList<Shown> shown;
    QList<int> MessageIds() const;
    int loginCalls = 0;
    QString title;
    int progressMax = 0;
    int progressPos = 0;

    int ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args = {}) override;
    int ShowText(const QString& text, Icon icon, Buttons buttons) override;
    bool Login(uint16_t expected) override;
    void SetProgressRange(int maximum) override { progressMax = maximum; }
    void SetProgressPos(int pos) override { progressPos = pos; }
    int GetProgressPos() const override { return progressPos; }
    void SetTitle(const QString& t) override { title = t; }

private:
    int Answer(Buttons buttons);
    QList<int> m_answers;
    QList<int> m_logins;
    int m_default = -1;
};
