// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware transfer (40013) in the controller menu, offered while connected. The work is
// CFirmwareTransfer's; this only wires it to the menu.
#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "firmware/CFirmwareTransfer.h"
#include "ui/firmware/CGuiFirmwareTransferUi.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/sheet/CMyPropertySheet.h"

namespace {
using S = CMyPropertySheet;

const S::CommandRegistrar kTransferFirmware([] {
    S::Command c;
    c.id = 40013;
    c.menu = S::MenuController;
    c.order = 80;
    c.separatorBefore = true;
    c.textId = StringId(20210);
    c.enabled = [](S&) { return S::App().IsConnected(); };
    c.run = [](S& sheet) {
        CGuiFirmwareTransferUi ui(sheet);
        CFirmwareTransfer(S::App(), ui).TransferFirmware();
    };
    return c;
}());
}  // namespace
