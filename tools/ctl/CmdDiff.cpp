// SPDX-License-Identifier: GPL-3.0-or-later
// diff FILE (against the connected controller), diff FILE1 FILE2; exit status as diff(1):
// 0 equal, 1 different, 2 trouble.
#include <QFileInfo>
#include <cstdio>

#include "CCtlContext.h"
#include "CCtlTransferUi.h"
#include "CtlCommand.h"
#include "params/CParameterArray.h"
#include "params/CSettingsCommands.h"
#include "params/CSettingsComparison.h"

namespace {
using State = CSettingsComparison::State;

constexpr int kSame = 0;
constexpr int kDiffer = 1;
constexpr int kTrouble = 2;

const char* StateKey(State s) {
    switch (s) {
        case State::Equal:
            return "equal";
        case State::Differs:
            return "differs";
        case State::Unread:
            return "unread";
        case State::Identification:
            return "identification";
        case State::LeftOut:
            return "left-out";
        case State::OnlyInFile:
            return "only-in-file";
        case State::OnlyInReference:
            return "only-in-reference";
    }
    return "";
}

QJsonValue Value(const CSettingsComparison& c, const CParameter& p, bool present,
                 bool referenceSide) {
    if (!present) return QJsonValue::Null;
    QJsonObject o{{"raw", CSettingsComparison::RawText(p)}};
    const QString shown = c.DisplayText(p, referenceSide);
    if (!shown.isEmpty()) o.insert(QStringLiteral("display"), shown);
    return o;
}

void PrintJson(const CSettingsComparison& c, const QJsonObject& reference,
               const QJsonObject& file) {
    QJsonObject counts;
    for (State s : {State::Equal, State::Differs, State::Unread, State::Identification,
                    State::LeftOut, State::OnlyInFile, State::OnlyInReference})
        counts.insert(QLatin1String(StateKey(s)), c.Count(s));
    QJsonArray rows;
    for (const CSettingsComparison::Row& r : c.Rows()) {
        if (!CSettingsComparison::IsReported(r)) continue;
        const bool hasReference = r.state != State::OnlyInFile && r.state != State::LeftOut;
        rows.append(QJsonObject{{"number", r.Number()},
                                {"name", r.Name()},
                                {"group", CParameterMeaning::GroupTitle(r.group)},
                                {"state", QLatin1String(StateKey(r.state))},
                                {"rescaled", r.rescaled},
                                {"reference", Value(c, r.reference, hasReference, true)},
                                {"file", Value(c, r.file, r.index >= 0, false)}});
    }
    CCtlContext::PrintJson(QJsonObject{{"reference", reference},
                                       {"file", file},
                                       {"equal", c.IsEqual()},
                                       {"counts", counts},
                                       {"rows", rows}});
}

bool Load(const QString& path, CParameterArray& list) {
    const CParameterArray::FileResult r = list.LoadFromPath(path);
    if (r == CParameterArray::FileResult::Ok) return true;
    std::fprintf(stderr, "error: %s: %s\n", path.toLocal8Bit().constData(),
                 r == CParameterArray::FileResult::BadContent
                     ? "not a settings file (a line cannot be read)"
                 : r == CParameterArray::FileResult::NotRegular ? "not a regular file"
                                                                : "cannot open");
    return false;
}

int Diff(CCtlContext& ctx, const QStringList& args) {
    CCtlTransferUi::OnError onError = CCtlTransferUi::OnError::Abort;
    int retries = 0;
    if (args.isEmpty() || args.size() > 2 ||
        !CCtlTransferUi::ParseOnError(ctx.Option(QStringLiteral("--on-error")), onError, retries)) {
        std::fprintf(stderr, "usage: korvalisctl diff FILE | diff FILE1 FILE2 [--json]\n");
        return kTrouble;
    }
    CParameterArray file;
    if (!Load(args.last(), file)) return kTrouble;
    const QJsonObject fileJson{
        {"path", args.last()},
        {"version", file.IndexOfNumber(0) >= 0 ? file[file.IndexOfNumber(0)].FileValue() : -1}};

    CSettingsComparison comparison;
    QJsonObject referenceJson;
    QString referenceTitle;
    if (args.size() == 2) {
        CParameterArray first;
        if (!Load(args.first(), first)) return kTrouble;
        CSettingsComparison::Context context;
        context.againstController = false;
        comparison = CSettingsComparison::Compare(first, file, context);
        referenceTitle = args.first();
        referenceJson =
            QJsonObject{{"path", args.first()}, {"version", comparison.ReferenceVersion()}};
    } else {
        if (!ctx.ConnectDevice()) return kTrouble;
        CInterruptGuard interrupt;
        CCtlTransferUi ui(ctx, onError, retries, args.last());
        CSettingsCommands commands(ctx.App(), ui);
        if (commands.CompareWithController(file, comparison) != CSettingsCommands::Result::Done)
            return kTrouble;
        referenceTitle = QStringLiteral("controller");
        referenceJson = QJsonObject{{"controller", ctx.App().GetModelName()},
                                    {"version", comparison.ReferenceVersion()},
                                    {"serial", static_cast<qint64>(ctx.App().SerialNumber())}};
    }
    if (ctx.Json())
        PrintJson(comparison, referenceJson, fileJson);
    else
        std::fputs(
            comparison.Report(CSettingsComparison::ReportFormat::Text, referenceTitle, args.last())
                .constData(),
            stdout);
    return comparison.IsEqual() ? kSame : kDiffer;
}

CtlRegistrar r(
    {QStringLiteral("diff"),
     QStringLiteral(
         "diff FILE [FILE2]          differences between a settings file and the controller,\n"
         "    or between two files (--json; exit status 0 equal, 1 different, 2 trouble)"),
     Diff});
}  // namespace
