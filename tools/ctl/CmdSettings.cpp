// SPDX-License-Identifier: GPL-3.0-or-later
// save-settings, save-calibration, load-settings, sms-save, sms-load
#include <QFile>
#include <cstdio>

#include "CCtlContext.h"
#include "CCtlFileArg.h"
#include "CCtlTransferUi.h"
#include "CtlCommand.h"
#include "base/CRegularFile.h"
#include "link/CSWMBus.h"
#include "params/CParameter.h"
#include "params/CSettingsCommands.h"
#include "params/CTransferUi.h"

namespace {
int ExitStatus(CSettingsCommands::Result result)
{
    switch (result) {
    case CSettingsCommands::Result::Done: return CtlOk;
    case CSettingsCommands::Result::Cancelled: return CtlCancelled;
    case CSettingsCommands::Result::Failed:
    case CSettingsCommands::Result::NotRun: break;
    }
    return CtlFailed;
}

enum class Action { SaveSettings, SaveCalibration, LoadSettings, SmsSave, SmsLoad };

int Run(CCtlContext& ctx, const QStringList& args, Action action, const char* usage)
{
    CCtlTransferUi::OnError onError = CCtlTransferUi::OnError::Abort;
    int retries = 0;
    const bool onlyChanged = ctx.HasOption(QStringLiteral("--only-changed"));
    if (args.size() != 1 || args[0].isEmpty() ||
        !CCtlTransferUi::ParseOnError(ctx.Option(QStringLiteral("--on-error")), onError, retries) ||
        (onlyChanged && action != Action::LoadSettings)) {
        std::fprintf(stderr, "usage: korvalisctl %s FILE [--on-error abort|ignore|retry=N] [--yes]%s\n", usage,
                     action == Action::LoadSettings ? " [--only-changed]" : "");
        return CtlUsage;
    }
    const bool loading = action == Action::LoadSettings || action == Action::SmsLoad;
    const CCtlFileArg fileArg(args[0], loading ? CCtlFileArg::Direction::Read : CCtlFileArg::Direction::Write);
    const QString file = fileArg.Path();
    if (!fileArg.Ready()) {
        std::fprintf(stderr, "error: cannot open %s\n", args[0].toLocal8Bit().constData());
        return CtlFailed;
    }
    // Checked before connecting: a FIFO would block the read, and a save onto a device or
    // FIFO would fail only after the whole transfer.
    QString why;
    QFile probe(file);
    if (loading ? !CRegularFile::OpenForReading(probe, &why) : CRegularFile::SaveTarget(file, &why).isEmpty()) {
        std::fprintf(stderr, "error: cannot %s %s: %s\n", loading ? "open" : "save to", file.toLocal8Bit().constData(),
                     why.toLocal8Bit().constData());
        return CtlFailed;
    }
    probe.close();

    const bool sms = action == Action::SmsSave || action == Action::SmsLoad;
    if (sms) ctx.Connection().smsModule = true;
    if (!ctx.ConnectDevice()) return CtlFailed;
    CKorvalisControlApp& app = ctx.App();
    if (sms && !app.HasSmsModule()) {
        std::fprintf(stderr, "error: no SMS module answers at bus address 34\n");
        return CtlFailed;
    }

    CInterruptGuard interrupt;
    CCtlTransferUi ui(ctx, onError, retries, file);
    CSettingsCommands commands(app, ui);
    CSettingsCommands::Result result = CSettingsCommands::Result::NotRun;
    switch (action) {
    case Action::SaveSettings: result = commands.SaveSettings(file); break;
    case Action::SaveCalibration: result = commands.SaveSensorCalibration(file); break;
    case Action::LoadSettings:
        // Read first and write only what differs; the counts say what that saved.
        if (onlyChanged)
            commands.chooseWrites = [](CSettingsComparison&) { return CSettingsCommands::Choice::WriteChecked; };
        result = commands.LoadSettings(file);
        if (onlyChanged && result == CSettingsCommands::Result::Done) {
            const CSettingsCommands::LoadCounts& n = commands.LastLoad();
            std::printf("wrote %d parameters; left out %d (firmware-version rules); found %d equal", n.written,
                        n.leftOut, n.equal);
            if (n.failed > 0) std::printf("; %d failed and were skipped", n.failed);
            std::printf("\n");
        }
        break;
    case Action::SmsSave:
        result = commands.SaveSmsModuleSettings(file);
        if (result == CSettingsCommands::Result::Failed && app.ReadParameter(0, true) != CSWMBus::Ok)
            std::fprintf(stderr, "error: the SMS module does not answer the version read\n");
        break;
    case Action::SmsLoad: result = commands.LoadSmsModuleSettings(file); break;
    }
    // With "-" the file itself is the output; otherwise its name says where it went.
    if (result == CSettingsCommands::Result::Done && !loading && !fileArg.IsStdio())
        std::printf("%s\n", file.toLocal8Bit().constData());
    if (result == CSettingsCommands::Result::Done && !loading && !fileArg.Emit()) return CtlFailed;
    return ExitStatus(result);
}

const bool kDeclared = [] {
    CCtlContext::DeclareOption(QStringLiteral("--on-error"), true);
    CCtlContext::DeclareOption(QStringLiteral("--only-changed"), false);
    return true;
}();

CtlRegistrar r1({QStringLiteral("save-settings"),
                 QStringLiteral("save-settings FILE       save the controller's configuration to a settings file"),
                 [](CCtlContext& c, const QStringList& a) {
                     return Run(c, a, Action::SaveSettings, "save-settings");
                 }});
CtlRegistrar r2({QStringLiteral("save-calibration"),
                 QStringLiteral("save-calibration FILE    save the calibration of the fitted sensors"),
                 [](CCtlContext& c, const QStringList& a) {
                     return Run(c, a, Action::SaveCalibration, "save-calibration");
                 }});
CtlRegistrar r3({QStringLiteral("load-settings"),
                 QStringLiteral("load-settings FILE       write a settings or calibration file into the controller\n"
                                "    (--only-changed: read first, write only the values that differ)"),
                 [](CCtlContext& c, const QStringList& a) {
                     return Run(c, a, Action::LoadSettings, "load-settings");
                 }});
CtlRegistrar r4({QStringLiteral("sms-save"), QStringLiteral("sms-save FILE            save the SMS module's settings"),
                 [](CCtlContext& c, const QStringList& a) { return Run(c, a, Action::SmsSave, "sms-save"); }});
CtlRegistrar r5({QStringLiteral("sms-load"),
                 QStringLiteral("sms-load FILE            write SMS-module settings into the SMS module\n"
                                "    (the five settings commands take --on-error abort|ignore|retry=N and FILE \"-\"\n"
                                "     for standard input or output; exit status\n"
                                "     0 done, 1 failed, 3 cancelled or declined)"),
                 [](CCtlContext& c, const QStringList& a) { return Run(c, a, Action::SmsLoad, "sms-load"); }});
}  // namespace
