// SPDX-License-Identifier: GPL-3.0-or-later
// recorder status, recorder download FILE, recorder clear
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstdio>

#include "CCtlContext.h"
#include "CCtlFileArg.h"
#include "CtlCommand.h"
#include "base/CRegularFile.h"
#include "recorder/CMeasDownload.h"
#include "recorder/CMeasDownloadUi.h"
#include "recorder/CMeasHistory.h"

namespace {
void Out(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
}

void Err(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// The export options come from flags; an existing file is appended to or replaced only
// when asked for; progress goes to stderr in tenths.
class CCtlRecorderUi : public CUserInteraction, public CMeasDownloadUi {
public:
    explicit CCtlRecorderUi(CCtlContext& ctx) : m_ctx(ctx) {}

    int ShowMessage(int stringId, Icon icon, Buttons buttons,
                    const QStringList& args = {}) override {
        if (stringId == 116) {
            if (m_ctx.HasOption(QStringLiteral("--append"))) return IdYes;
            if (m_ctx.HasOption(QStringLiteral("--replace"))) return IdNo;
            Err(QStringLiteral("error: the file exists; give --append or --replace"));
            return IdCancel;
        }
        return m_ctx.ShowMessage(stringId, icon, buttons, args);
    }
    int ShowText(const QString& text, Icon icon, Buttons buttons) override {
        return m_ctx.ShowText(text, icon, buttons);
    }
    bool Login(uint16_t expected) override { return m_ctx.Login(expected); }

    bool AskOptions(CSaveMeasOptions& o) override { return m_ctx.MeasOptions(o); }
    QString AskFileName() override { return {}; }
    void ProgressBegin(int, qint64 total) override { m_total = total; }
    bool ProgressStep(qint64 done) override {
        if (!CCtlContext::ProgressWanted()) return true;
        const int tenth = m_total > 0 ? static_cast<int>(done * 10 / m_total) : 10;
        if (tenth != m_tenth) {
            m_tenth = tenth;
            Err(QStringLiteral("  %1%").arg(tenth * 10, 3));
        }
        return true;
    }

private:
    CCtlContext& m_ctx;
    qint64 m_total = 0;
    int m_tenth = 0;
};

bool ValidOptions(CCtlContext& ctx) {
    CSaveMeasOptions options;
    if (!ctx.MeasOptions(options)) return false;
    if (ctx.HasOption(QStringLiteral("--append")) && ctx.HasOption(QStringLiteral("--replace"))) {
        Err(QStringLiteral("error: --append and --replace exclude each other"));
        return false;
    }
    return true;
}

// Reads what the page would show: interval, mask, stored values, newest record.
bool ReadState(CCtlContext& ctx, CMeasDownload::State& state, qint64& capacity) {
    int failed = 0;
    const uint16_t status = CMeasDownload::ReadState(CMeasDownload::AccessOf(ctx.App()), state, capacity, failed);
    if (status != 0) {
        ctx.PrintStatusError(QStringLiteral("reading parameter %1").arg(failed), status);
        return false;
    }
    return true;
}

int Status(CCtlContext& ctx, const QStringList& args) {
    if (!args.isEmpty()) return CtlUsage;
    if (!ctx.ConnectDevice()) return CtlFailed;
    CMeasDownload::State s;
    qint64 capacity = 0;
    if (!ReadState(ctx, s, capacity)) return CtlFailed;
    if (ctx.Json()) {
        QJsonArray inputs;
        for (const CSensor& sensor : ctx.App().Sensors())
            if (s.mask & (1u << sensor.index))
                inputs.append(QJsonObject{{"input", sensor.index + 1}, {"title", sensor.title}});
        QJsonObject o{{"interval-minutes", s.interval},
                      {"inputs", inputs},
                      {"stored", s.storedValues},
                      {"capacity", capacity}};
        if (s.storedValues > 0)
            o.insert(QStringLiteral("newest"), QDateTime(s.newestDate, s.newestTime).toString(QStringLiteral("yyyy-MM-ddTHH:mm")));
        CCtlContext::PrintJson(o);
        return CtlOk;
    }
    Out(QStringLiteral("interval: %1 min").arg(s.interval));
    QStringList inputs;
    for (const CSensor& sensor : ctx.App().Sensors())
        if (s.mask & (1u << sensor.index))
            inputs << QStringLiteral("%1 (%2)").arg(sensor.index + 1).arg(sensor.title);
    Out(QStringLiteral("inputs: %1")
            .arg(inputs.isEmpty() ? QStringLiteral("none") : inputs.join(", ")));
    Out(QStringLiteral("stored: %1 / %2 values").arg(s.storedValues).arg(capacity));
    if (s.storedValues > 0)
        Out(QStringLiteral("newest: %1 %2")
                .arg(s.newestDate.toString(Qt::ISODate), s.newestTime.toString("HH:mm")));
    return CtlOk;
}

int Download(CCtlContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Err(
            QStringLiteral("usage: korvalisctl recorder download FILE [--decimal point|comma] "
                           "[--separator tab|semicolon] [--no-units] [--append|--replace]"));
        return CtlUsage;
    }
    if (!ValidOptions(ctx)) return CtlUsage;
    QString why;
    if (CRegularFile::SaveTarget(args[0], &why).isEmpty()) {
        Err(QStringLiteral("error: cannot save to %1: %2").arg(args[0], why));
        return CtlFailed;
    }
    if (!ctx.ConnectDevice()) return CtlFailed;
    CMeasDownload::State state;
    qint64 capacity = 0;
    if (!ReadState(ctx, state, capacity)) return CtlFailed;
    CCtlRecorderUi ui(ctx);
    const CCtlFileArg file(args[0], CCtlFileArg::Direction::Write);
    CMeasDownload download(ctx.App().Sensors(), CMeasDownload::AccessOf(ctx.App()), &ui, &ui);
    CMeasDownload::Result r = download.Run(state, file.Path(), false);
    // What was read is gone from the controller: it goes into the history whatever became
    // of the file.
    if (r.history.Count() > 0) {
        const quint32 serial = ctx.App().SerialNumber();
        const CMeasHistory::Outcome h = CMeasHistory::AddToController(serial, r.history);
        if (!h.damagedCopy.isEmpty())
            Err(QStringLiteral("warning: the history of controller %1 was damaged; it is kept as %2").arg(serial).arg(h.damagedCopy));
        if (h.add.ok)
            Err(QStringLiteral("history of controller %1: %2 records added, %3 already there").arg(serial).arg(h.add.added).arg(h.add.known));
        else
            Err(QStringLiteral("error: history of controller %1: %2").arg(serial).arg(h.error));
    }
    switch (r.outcome) {
        case CMeasDownload::Outcome::Written:
            if (file.IsStdio()) {
                Err(QStringLiteral("%1 records written").arg(r.records));
                return file.Emit() ? CtlOk : CtlFailed;
            }
            Out(QStringLiteral("%1 records written to %2").arg(r.records).arg(r.path));
            return CtlOk;
        case CMeasDownload::Outcome::Cancelled:
            return CtlCancelled;
        case CMeasDownload::Outcome::Failed:
            break;
    }
    return CtlFailed;
}

int Clear(CCtlContext& ctx, const QStringList& args) {
    if (!args.isEmpty()) return CtlUsage;
    if (!ctx.ConnectDevice()) return CtlFailed;
    if (ctx.ShowMessage(137, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::YesNo) !=
        CUserInteraction::IdYes) {
        Err(QStringLiteral("not cleared: give --yes to clear the recorder"));
        return CtlCancelled;
    }
    const uint16_t status = ctx.App().WriteParameter(1160, 0);
    if (status != 0) {
        ctx.PrintStatusError(QStringLiteral("clearing the recorder"), status);
        return CtlFailed;
    }
    return CtlOk;
}

int Recorder(CCtlContext& ctx, const QStringList& args) {
    const QString sub = args.value(0);
    const QStringList rest = args.mid(1);
    if (sub == QLatin1String("status")) return Status(ctx, rest);
    if (sub == QLatin1String("download")) return Download(ctx, rest);
    if (sub == QLatin1String("clear")) return Clear(ctx, rest);
    Err(QStringLiteral(
        "usage: korvalisctl recorder status | download FILE [options] | clear [--yes]"));
    return CtlUsage;
}

const bool kDeclared = [] {
    CCtlContext::DeclareOption(QStringLiteral("--decimal"), true);
    CCtlContext::DeclareOption(QStringLiteral("--separator"), true);
    CCtlContext::DeclareOption(QStringLiteral("--no-units"), false);
    CCtlContext::DeclareOption(QStringLiteral("--append"), false);
    CCtlContext::DeclareOption(QStringLiteral("--replace"), false);
    return true;
}();

CtlRegistrar r1({QStringLiteral("recorder"),
                 QStringLiteral("recorder status|download FILE|clear  the measured-value recorder "
                                "(status: --json; download to FILE or \"-\": --decimal point|comma, --separator tab|semicolon, "
                                "--no-units, --append|--replace)"),
                 Recorder});
}  // namespace
