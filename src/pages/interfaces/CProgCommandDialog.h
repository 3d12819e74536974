// SPDX-License-Identifier: GPL-3.0-or-later
// Base of the dialogs that program a device on a 1-10 V interface with one command
// parameter: a list of settings to choose from, OK only once one is chosen, a confirmation
// (Cancel there returns to the dialog), then the chosen setting's value is written. A write
// the controller does not take is reported and the dialog stays open for another try.
// Polling is suspended while the dialog is open.
#pragma once

#include <memory>
#include <vector>

#include "ui/page/CFieldDialog.h"

class CTimerStop;
class QPushButton;

class CProgCommandDialog : public CFieldDialog {
    Q_OBJECT
public:
    enum Id { IdChoice = 1470, IdOk = 1 };

    struct Command {
        int templateId;
        int titleId;       // the window title
        int promptId;      // the line above the entries
        int firstEntryId;  // entry k is string firstEntryId + k
        int confirmId;     // the question before the command goes out
        int parameter;
        std::vector<int> values;  // entry k writes values[k]
    };

    CProgCommandDialog(const Command& command, QWidget* parent);
    ~CProgCommandDialog() override;

    // The chosen entry, -1 while none is.
    int Choice() const { return m_choice; }

protected:
    bool Validate() override;
    void UpdateControlStates() override;

private:
    Command m_command;
    int m_choice = -1;
    QPushButton* m_ok = nullptr;
    std::unique_ptr<CTimerStop> m_timerStop;
};
