// SPDX-License-Identifier: GPL-3.0-or-later
// The settings-file commands of the File menu: save settings (57603), save sensor
// calibration (40016), save SMS-module settings (40032), load settings (40002), load
// SMS-module settings (40033). The work is CSettingsCommands'; this only wires it to the menu.
#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "params/CSettingsCommands.h"
#include "ui/settings/CGuiTransferUi.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/sheet/CMyPropertySheet.h"

namespace {
using S = CMyPropertySheet;
using Run = CSettingsCommands::Result (CSettingsCommands::*)(const QString&);

void RunSettingsCommand(S& sheet, Run run)
{
    CGuiTransferUi ui(&sheet);
    CSettingsCommands commands(S::App(), ui);
    commands.invalidatePages = [&sheet] { sheet.InvalidatePages(); };
    commands.onBusAddressFollowed = [&sheet](int address) {
        sheet.FollowBusAddress(static_cast<uint32_t>(address));
    };
    (commands.*run)(QString());
}

S::Command Make(int id, int order, int textId, Run run, bool sms, bool separator = false)
{
    S::Command c;
    c.id = id;
    c.menu = S::MenuFile;
    c.order = order;
    c.textId = textId;
    c.separatorBefore = separator;
    c.enabled = sms ? [](S&) { return CSettingsCommands::CanUseSmsModule(S::App()); }
                    : [](S&) { return CSettingsCommands::CanUseController(S::App()); };
    c.run = [run](S& sheet) { RunSettingsCommand(sheet, run); };
    return c;
}

const S::CommandRegistrar kSave(Make(57603, 10, StringId(6110), &CSettingsCommands::SaveSettings, false));
const S::CommandRegistrar kSaveCalibration(Make(40016, 20, StringId(6111), &CSettingsCommands::SaveSensorCalibration,
                                                false));
const S::CommandRegistrar kLoad(Make(40002, 30, StringId(6113), &CSettingsCommands::LoadSettings, false));
const S::CommandRegistrar kSaveSms(Make(40032, 40, StringId(6112), &CSettingsCommands::SaveSmsModuleSettings, true,
                                        true));
const S::CommandRegistrar kLoadSms(Make(40033, 50, StringId(6114), &CSettingsCommands::LoadSmsModuleSettings, true));
}  // namespace
