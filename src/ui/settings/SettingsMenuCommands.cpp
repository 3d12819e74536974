// SPDX-License-Identifier: GPL-3.0-or-later
// The settings-file commands of the File menu: save settings (57603), save sensor
// calibration (40016), save SMS-module settings (40032), load settings (40002), load
// SMS-module settings (40033), and compare settings files (40034). The work is
// CSettingsCommands'; this only wires it to the menu. A load shows the comparison first.
#include <QDir>
#include <QFileInfo>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "params/CSettingsCommands.h"
#include "ui/services/CFileDialogService.h"
#include "ui/settings/CCompareDialog.h"
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
    QString path;
    if (run == &CSettingsCommands::LoadSettings) {
        // The file is chosen here, so that the comparison can name it.
        path = ui.GetOpenFileName(Tr(227));
        if (path.isEmpty()) return;
        const QString title = QFileInfo(path).fileName();
        commands.chooseWrites = [&sheet, title](CSettingsComparison& comparison) {
            return CCompareDialog::Choose(comparison, title, &sheet);
        };
    }
    (commands.*run)(path);
}

// Two files side by side, read-only; no controller needed.
void CompareFiles(S& sheet)
{
    CGuiTransferUi ui(&sheet);
    const QString first = CFileDialogService::GetOpenFileName(Tr(51111), QDir::homePath(), Tr(227), &sheet);
    if (first.isEmpty()) return;
    const QString second =
        CFileDialogService::GetOpenFileName(Tr(51112), QFileInfo(first).absolutePath(), Tr(227), &sheet);
    if (second.isEmpty()) return;
    CParameterArray a;
    CParameterArray b;
    if (a.LoadFromFile(ui, first) != CParameterArray::FileResult::Ok) return;
    if (b.LoadFromFile(ui, second) != CParameterArray::FileResult::Ok) return;
    CSettingsComparison::Context context;
    context.againstController = false;
    CSettingsComparison comparison = CSettingsComparison::Compare(a, b, context);
    CCompareDialog::ShowFiles(comparison, QFileInfo(first).fileName(), QFileInfo(second).fileName(), &sheet);
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
const S::CommandRegistrar kCompare([] {
    S::Command c;
    c.id = 40034;
    c.menu = S::MenuFile;
    c.order = 35;
    c.textId = StringId(51110);
    c.enabled = [](S&) { return true; };
    c.run = [](S& sheet) { CompareFiles(sheet); };
    return c;
}());
const S::CommandRegistrar kSaveSms(Make(40032, 40, StringId(6112), &CSettingsCommands::SaveSmsModuleSettings, true,
                                        true));
const S::CommandRegistrar kLoadSms(Make(40033, 50, StringId(6114), &CSettingsCommands::LoadSmsModuleSettings, true));
}  // namespace
