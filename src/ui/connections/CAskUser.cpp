// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CAskUser.h"

#include "app/CKorvalisControlApp.h"
#include "ui/services/CMessageService.h"

int CAskUser::Ask(QWidget* parent, int stringId, CUserInteraction::Icon icon,
                  CUserInteraction::Buttons buttons, const QStringList& args)
{
    // The application's user interaction sees the same messages as the connect sequence's
    // (a port-scan probe shows both); in the program it ends in the message service too.
    if (CKorvalisControlApp::HasInstance()) {
        if (CUserInteraction* ui = CKorvalisControlApp::Instance().UserInteraction())
            return ui->ShowMessage(stringId, icon, buttons, args);
    }
    return CMessageService::ShowMessage(stringId, icon, buttons, args, parent);
}
