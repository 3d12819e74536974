// SPDX-License-Identifier: GPL-3.0-or-later
// history list | import --serial N FILE... | export --serial N [--from D] [--to D] [--csv] FILE
// | check [--serial N]: the measured-value history kept per controller.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <limits>

#include "CCtlContext.h"
#include "CCtlFileArg.h"
#include "CtlCommand.h"
#include "recorder/CHistoryExport.h"
#include "recorder/CMeasHistory.h"
#include "recorder/CMeasuredValueArray.h"

namespace {
void Out(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void Err(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

QString Local(qint64 utc) {
    return QDateTime::fromSecsSinceEpoch(utc, Qt::LocalTime).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

bool SerialOption(CCtlContext& ctx, quint32& serial) {
    bool ok = false;
    serial = ctx.Option(QStringLiteral("--serial")).toUInt(&ok);
    if (!ok) Err(QStringLiteral("error: give the controller's serial number with --serial N"));
    return ok;
}

// Opens a history and says once that a damaged one was kept aside.
bool OpenHistory(CMeasHistory& history, quint32 serial) {
    const CMeasHistory::OpenResult r = history.Open(CMeasHistory::PathFor(serial));
    if (r == CMeasHistory::OpenResult::Failed) {
        Err(QStringLiteral("error: history of controller %1: %2").arg(serial).arg(history.LastError()));
        return false;
    }
    if (r == CMeasHistory::OpenResult::Replaced)
        Err(QStringLiteral("warning: the history of controller %1 was damaged; it is kept as %2 and a new one was started")
                .arg(serial)
                .arg(QDir::toNativeSeparators(history.DamagedCopy())));
    return true;
}

// A local date (the whole day) or date and time; end picks the day's last second.
bool ParseWhen(const QString& text, bool end, qint64& utc) {
    QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    if (!t.isValid()) {
        const QDate d = QDate::fromString(text, Qt::ISODate);
        if (!d.isValid()) return false;
        t = QDateTime(d, end ? QTime(23, 59, 59) : QTime(0, 0));
    }
    utc = t.toSecsSinceEpoch();
    return true;
}

int List(CCtlContext& ctx, const QStringList& args) {
    if (!args.isEmpty()) return CtlUsage;
    QJsonArray all;
    int status = CtlOk;
    for (quint32 serial : CMeasHistory::KnownSerials()) {
        CMeasHistory history;
        if (!OpenHistory(history, serial)) {
            status = CtlFailed;
            continue;
        }
        const CMeasHistory::Summary s = history.Summarise();
        if (ctx.Json()) {
            QJsonObject o{{"serial", static_cast<qint64>(serial)}, {"records", s.count}};
            if (s.count > 0) {
                o.insert(QStringLiteral("first"), QDateTime::fromSecsSinceEpoch(s.first, Qt::UTC).toString(Qt::ISODate));
                o.insert(QStringLiteral("last"), QDateTime::fromSecsSinceEpoch(s.last, Qt::UTC).toString(Qt::ISODate));
            }
            all.append(o);
        } else if (s.count > 0) {
            Out(QStringLiteral("%1  %2 .. %3  %4 records").arg(serial, 10).arg(Local(s.first), Local(s.last)).arg(s.count));
        } else {
            Out(QStringLiteral("%1  no records").arg(serial, 10));
        }
    }
    if (ctx.Json()) CCtlContext::PrintJson(all);
    return status;
}

int Import(CCtlContext& ctx, const QStringList& args) {
    quint32 serial = 0;
    if (args.isEmpty()) {
        Err(QStringLiteral("usage: korvalisctl history import --serial N FILE..."));
        return CtlUsage;
    }
    if (!SerialOption(ctx, serial)) return CtlUsage;
    CMeasHistory history;
    if (!OpenHistory(history, serial)) return CtlFailed;
    int status = CtlOk;
    // One transaction per file: a file is in the history whole or not at all.
    for (const QString& path : args) {
        CMeasuredValueArray array;
        const CMeasuredValueArray::LoadResult loaded = array.LoadFile(path);
        if (loaded != CMeasuredValueArray::LoadResult::Ok) {
            Err(QStringLiteral("error: %1: %2").arg(path, loaded == CMeasuredValueArray::LoadResult::CannotOpen
                                                              ? QStringLiteral("cannot be opened")
                                                              : QStringLiteral("is no measured-value file")));
            status = CtlFailed;
            continue;
        }
        const CMeasHistory::AddResult r =
            history.Add(CHistoryBatch::FromFile(array, QFileInfo(path).fileName()));
        if (!r.ok) {
            Err(QStringLiteral("error: %1: %2").arg(path, history.LastError()));
            status = CtlFailed;
            continue;
        }
        Out(QStringLiteral("%1: %2 records added, %3 already there").arg(path).arg(r.added).arg(r.known));
    }
    return status;
}

int Export(CCtlContext& ctx, const QStringList& args) {
    if (args.size() != 1) {
        Err(QStringLiteral("usage: korvalisctl history export --serial N [--from DATE] [--to DATE] [--csv] FILE"));
        return CtlUsage;
    }
    quint32 serial = 0;
    if (!SerialOption(ctx, serial)) return CtlUsage;
    qint64 from = std::numeric_limits<qint64>::min(), to = std::numeric_limits<qint64>::max();
    if ((ctx.HasOption(QStringLiteral("--from")) && !ParseWhen(ctx.Option(QStringLiteral("--from")), false, from)) ||
        (ctx.HasOption(QStringLiteral("--to")) && !ParseWhen(ctx.Option(QStringLiteral("--to")), true, to))) {
        Err(QStringLiteral("error: --from and --to take a date (2026-03-29) or a date and time (2026-03-29T14:00)"));
        return CtlUsage;
    }
    CSaveMeasOptions options;
    if (!ctx.MeasOptions(options)) return CtlUsage;
    if (!QFileInfo::exists(CMeasHistory::PathFor(serial))) {
        Err(QStringLiteral("error: there is no history of controller %1").arg(serial));
        return CtlFailed;
    }
    CMeasHistory history;
    if (!OpenHistory(history, serial)) return CtlFailed;
    const CCtlFileArg file(args[0], CCtlFileArg::Direction::Write);
    qint64 records = 0;
    QString error;
    const auto format = ctx.HasOption(QStringLiteral("--csv")) ? CHistoryExport::Format::Csv
                                                               : CHistoryExport::Format::MeasuredValues;
    if (!CHistoryExport::WriteFile(history, from, to, format, options, file.Path(), &records, &error)) {
        Err(QStringLiteral("error: cannot write %1: %2").arg(args[0], error));
        return CtlFailed;
    }
    if (file.IsStdio()) return file.Emit() ? CtlOk : CtlFailed;
    Out(QStringLiteral("%1 records written to %2").arg(records).arg(args[0]));
    return CtlOk;
}

int Check(CCtlContext& ctx, const QStringList& args) {
    if (!args.isEmpty()) return CtlUsage;
    QList<quint32> serials = CMeasHistory::KnownSerials();
    if (ctx.HasOption(QStringLiteral("--serial"))) {
        quint32 serial = 0;
        if (!SerialOption(ctx, serial)) return CtlUsage;
        serials = {serial};
    }
    int status = CtlOk;
    for (quint32 serial : serials) {
        CMeasHistory history;
        if (!OpenHistory(history, serial)) {
            status = CtlFailed;
            continue;
        }
        const QStringList problems = history.IntegrityProblems();
        if (!problems.isEmpty()) {
            for (const QString& p : problems.mid(0, 10)) Err(QStringLiteral("%1: %2").arg(serial).arg(p));
            history.KeepAside();
            Err(QStringLiteral("error: the history of controller %1 is damaged; it is kept as %2")
                    .arg(serial)
                    .arg(QDir::toNativeSeparators(history.DamagedCopy())));
            status = CtlFailed;
            continue;
        }
        qint64 step = 0;
        const QVector<CMeasHistory::Gap> gaps = history.Gaps(&step);
        const CMeasHistory::Summary s = history.Summarise();
        Out(QStringLiteral("%1: sound, %2 records, usual interval %3 min, %4 gaps")
                .arg(serial)
                .arg(s.count)
                .arg(step / 60.0, 0, 'g', 4)
                .arg(gaps.size()));
        constexpr int kShown = 20;
        for (qsizetype i = 0; i < gaps.size() && i < kShown; ++i)
            Out(QStringLiteral("  gap %1 .. %2 (%3 h)")
                    .arg(Local(gaps[i].from), Local(gaps[i].to))
                    .arg((gaps[i].to - gaps[i].from) / 3600.0, 0, 'f', 1));
        if (gaps.size() > kShown) Out(QStringLiteral("  ... %1 more").arg(gaps.size() - kShown));
    }
    return status;
}

int History(CCtlContext& ctx, const QStringList& args) {
    const QString sub = args.value(0);
    const QStringList rest = args.mid(1);
    if (sub == QLatin1String("list")) return List(ctx, rest);
    if (sub == QLatin1String("import")) return Import(ctx, rest);
    if (sub == QLatin1String("export")) return Export(ctx, rest);
    if (sub == QLatin1String("check")) return Check(ctx, rest);
    Err(QStringLiteral("usage: korvalisctl history list | import --serial N FILE... | export --serial N "
                       "[--from DATE] [--to DATE] [--csv] FILE | check [--serial N]"));
    return CtlUsage;
}

const bool kDeclared = [] {
    CCtlContext::DeclareOption(QStringLiteral("--serial"), true);
    CCtlContext::DeclareOption(QStringLiteral("--from"), true);
    CCtlContext::DeclareOption(QStringLiteral("--to"), true);
    CCtlContext::DeclareOption(QStringLiteral("--csv"), false);
    return true;
}();

CtlRegistrar r1({QStringLiteral("history"),
                 QStringLiteral("history list|import|export|check  the measured values kept per controller "
                                "(import --serial N FILE...; export --serial N [--from DATE] [--to DATE] [--csv] FILE "
                                "with the download's --decimal, --separator, --no-units; check [--serial N])"),
                 History});
}  // namespace
