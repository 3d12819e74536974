// SPDX-License-Identifier: GPL-3.0-or-later
// A user who answers from a script: every message shown is recorded, questions take the next
// queued answer (or a default), the login dialog takes a queued number, file dialogs take
// queued file names.
//
// While one exists it also stands in for the desktop's message boxes (CMessageService) and
// file dialogs (CFileDialogService), so messages of the sheet and pages land in the same
// record as those of the core. Typical page or sheet test:
//     CScriptedUserInteraction ui;          // before the sheet: the sheet keeps it
//     app.SetUserInteraction(&ui);
//     ui.QueueAnswer(CUserInteraction::IdYes);
//     ...
//     QCOMPARE(ui.MessageIds(), QList<int>{169});
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "base/CUserInteraction.h"

class CScriptedUserInteraction : public CUserInteraction {
public:
    CScriptedUserInteraction();
    ~CScriptedUserInteraction() override;
    CScriptedUserInteraction(const CScriptedUserInteraction&) = delete;
    CScriptedUserInteraction& operator=(const CScriptedUserInteraction&) = delete;

    struct Shown {
        int stringId;  // 0 for ShowText
        QString text;
        Icon icon;
        Buttons buttons;
    };

    void QueueAnswer(int answer) { m_answers.append(answer); }
    void SetDefaultAnswer(int answer) { m_default = answer; }
    void QueueLogin(int typed) { m_logins.append(typed); }
    // The next file dialog answers with this path ("" = cancelled).
    void QueueFileName(const QString& path) { m_fileNames.append(path); }
    // Progress and title also go to this one (the sheet's own, to watch its progress bar).
    void ForwardWindowTo(CUserInteraction* window) { m_window = window; }

    QList<Shown> shown;
    QList<int> MessageIds() const;
    int loginCalls = 0;
    QString title;
    int progressMax = 0;
    int progressPos = 0;
    QStringList fileDialogTitles;  // one per file dialog asked

    int ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args = {}) override;
    int ShowText(const QString& text, Icon icon, Buttons buttons) override;
    bool Login(uint16_t expected) override;
    void SetProgressRange(int maximum) override;
    void SetProgressPos(int pos) override;
    int GetProgressPos() const override { return progressPos; }
    void SetTitle(const QString& t) override;

private:
    int Answer(Buttons buttons);
    QList<int> m_answers;
    QList<int> m_logins;
    QStringList m_fileNames;
    CUserInteraction* m_window = nullptr;
    int m_default = -1;
};
