// SPDX-License-Identifier: GPL-3.0-or-later
// Every message box of the program: a catalogue string number, an icon and a button set.
// Tests install a handler instead of letting a box open (see CScriptedUserInteraction).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "base/CUserInteraction.h"

class QWidget;

class CMessageService {
public:
    using Icon = CUserInteraction::Icon;
    using Buttons = CUserInteraction::Buttons;

    // What a message showed; stringId is 0 for ShowText.
    struct Shown {
        int stringId = 0;
        QString text;
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
    };
    // Returns the button pressed (CUserInteraction::Answer).
    using Handler = std::function<int(const Shown&)>;

    // Catalogue string stringId, %1.. replaced by args. The parent defaults to the main window.
    static int ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args = {},
                           QWidget* parent = nullptr);
    static int ShowText(const QString& text, Icon icon, Buttons buttons, QWidget* parent = nullptr);

    // The test seam: while a handler is installed no box opens.
    static void SetHandler(Handler handler);
    static bool HasHandler();

    // Where boxes are centred when the caller gives no parent.
    static void SetDefaultParent(QWidget* parent);

    // The answer a box gives when closed with Escape or the window's close button.
    static int EscapeAnswer(Buttons buttons);
};
