// SPDX-License-Identifier: GPL-3.0-or-later
// save-settings, save-calibration, load-settings, sms-save, sms-load
#include <sys/ioctl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstdio>

#include "CCtlContext.h"
#include "CCtlFileArg.h"
#include "CtlCommand.h"
#include "base/CRegularFile.h"
#include "link/CSWMBus.h"
#include "params/CParameter.h"
#include "params/CSettingsCommands.h"
#include "params/CTransferUi.h"

namespace {
volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int)
{
    // A second Ctrl-C ends the program at once, even in the middle of a transfer.
    if (g_interrupted) std::_Exit(CtlCancelled);
    g_interrupted = 1;
}

// Restores the previous SIGINT handling when the command ends.
class CInterruptGuard {
public:
    CInterruptGuard() : m_previous(std::signal(SIGINT, OnInterrupt)) { g_interrupted = 0; }
    ~CInterruptGuard() { std::signal(SIGINT, m_previous); }
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

private:
    void (*m_previous)(int);
};

// A bar on stderr, redrawn in place; nothing at all when stderr is not a terminal.
class CTerminalProgress : public CTransferProgress {
public:
    CTerminalProgress() : m_enabled(isatty(STDERR_FILENO) != 0)
    {
        winsize ws{};
        if (m_enabled && ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 40) m_width = ws.ws_col;
    }
    ~CTerminalProgress() override
    {
        if (m_drawn) std::fputc('\n', stderr);
    }
    void SetRange(int maximum) override
    {
        m_max = maximum;
        m_pos = 0;
        Draw();
    }
    void SetPos(int pos) override
    {
        m_pos = pos;
        Draw();
    }
    void SetCaption(const QString& caption) override { m_caption = caption; }
    void SetItemText(const QString& text) override
    {
        m_item = text;
        Draw();
    }

private:
    void Draw()
    {
        if (!m_enabled) return;
        constexpr int kBar = 24;
        const int filled = m_max > 0 ? static_cast<int>(static_cast<long long>(m_pos) * kBar / m_max) : 0;
        QString line = QStringLiteral("%1 [%2%3] %4/%5 %6")
                           .arg(m_caption, QString(filled, QLatin1Char('#')), QString(kBar - filled, QLatin1Char('.')))
                           .arg(m_pos)
                           .arg(m_max)
                           .arg(m_item);
        line = line.left(m_width - 1);
        line += QString(m_width - 1 - line.size(), QLatin1Char(' '));
        std::fprintf(stderr, "\r%s", line.toLocal8Bit().constData());
        std::fflush(stderr);
        m_drawn = true;
    }

    bool m_enabled;
    bool m_drawn = false;
    int m_width = 80;
    int m_max = 0;
    int m_pos = 0;
    QString m_caption;
    QString m_item;
};

// The command line's answers: --on-error instead of the Abort/Retry/Ignore question, --yes
// for the compatibility questions, Ctrl-C as the cancel button, the FILE argument instead of
// the file dialogs.
class CCtlTransferUi : public CTransferUi {
public:
    enum class OnError { Abort, Ignore, Retry };

    CCtlTransferUi(CCtlContext& ctx, OnError onError, int retries, const QString& file)
        : m_ctx(ctx), m_onError(onError), m_retries(retries), m_file(file)
    {
    }

    std::unique_ptr<CTransferProgress> OpenProgressWindow(bool* cancelFlag) override
    {
        m_cancelFlag = cancelFlag;
        return std::make_unique<CTerminalProgress>();
    }
    bool PumpPendingMessages() override
    {
        QCoreApplication::processEvents();
        if (g_interrupted && m_cancelFlag) *m_cancelFlag = true;
        return true;
    }
    int AskTransferFailure(int stringId, const CParameter& parameter, uint16_t status, int failures) override
    {
        const QString what = QStringLiteral("%1 parameter %2 (%3)")
                                 .arg(stringId == 124 ? QStringLiteral("reading") : QStringLiteral("writing"))
                                 .arg(parameter.Number)
                                 .arg(parameter.Name);
        std::fputc('\n', stderr);
        m_ctx.PrintStatusError(what, status);
        switch (m_onError) {
        case OnError::Ignore:
            std::fprintf(stderr, "warning: ignored, going on with the next parameter\n");
            return CUserInteraction::IdIgnore;
        case OnError::Retry:
            if (failures <= m_retries) {
                std::fprintf(stderr, "retrying (%d of %d)\n", failures, m_retries);
                return CUserInteraction::IdRetry;
            }
            return CUserInteraction::IdAbort;
        case OnError::Abort: break;
        }
        return CUserInteraction::IdAbort;
    }
    int ShowMessage(int stringId, CUserInteraction::Icon icon, CUserInteraction::Buttons buttons,
                    const QStringList& args) override
    {
        return m_ctx.ShowMessage(stringId, icon, buttons, args);
    }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return m_file; }
    QString GetOpenFileName(const QString&) override { return m_file; }

private:
    CCtlContext& m_ctx;
    OnError m_onError;
    int m_retries;
    QString m_file;
    bool* m_cancelFlag = nullptr;
};

bool ParseOnError(const QString& text, CCtlTransferUi::OnError& mode, int& retries)
{
    retries = 0;
    if (text.isEmpty() || text == QLatin1String("abort")) {
        mode = CCtlTransferUi::OnError::Abort;
        return true;
    }
    if (text == QLatin1String("ignore")) {
        mode = CCtlTransferUi::OnError::Ignore;
        return true;
    }
    if (text.startsWith(QLatin1String("retry="))) {
        bool ok = false;
        retries = text.mid(6).toInt(&ok);
        mode = CCtlTransferUi::OnError::Retry;
        return ok && retries >= 0 && retries <= 1000;
    }
    return false;
}

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
    if (args.size() != 1 || args[0].isEmpty() ||
        !ParseOnError(ctx.Option(QStringLiteral("--on-error")), onError, retries)) {
        std::fprintf(stderr, "usage: korvalisctl %s FILE [--on-error abort|ignore|retry=N] [--yes]\n", usage);
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
    if (sms && !app.smsModulePresent) {
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
    case Action::LoadSettings: result = commands.LoadSettings(file); break;
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
                 QStringLiteral("load-settings FILE       write a settings or calibration file into the controller"),
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
