// SPDX-License-Identifier: GPL-3.0-or-later
#include "recorder/CHistoryExport.h"

#include <QDateTime>
#include <QIODevice>
#include <QSaveFile>
#include <QSet>
#include <cmath>

#include "base/CCsvField.h"
#include "base/CRegularFile.h"
#include "lang/CLanguage.h"
#include "recorder/CMeasHistory.h"
#include "recorder/CMeasuredValueArray.h"

bool CHistoryExport::Write(const CMeasHistory& history, qint64 from, qint64 to, Format format,
                           const CSaveMeasOptions& options, QIODevice& out, qint64* records) {
    if (records) *records = 0;
    // Only the columns with records in the range, in the order they were first stored.
    QSet<int> used;
    if (!history.ForEachRecord(from, to, [&](qint64, const QVector<int>& columns, const std::vector<double>&) {
            for (int id : columns) used.insert(id);
            return true;
        }))
        return false;
    QVector<CMeasHistory::Column> columns;
    for (const CMeasHistory::Column& c : history.Columns())
        if (used.contains(c.id)) columns.append(c);
    QHash<int, int> fieldOf;
    for (int k = 0; k < columns.size(); ++k) fieldOf.insert(columns[k].id, k);

    const bool csv = format == Format::Csv;
    const QChar sep = csv ? QChar(u',') : options.Separator();
    // Measured-value files are single-byte text with CR LF, as the recorder writes them.
    auto encode = [csv](const QString& s) { return csv ? s.toUtf8() : s.toLatin1(); };
    QString header;
    if (csv) {
        header = QStringLiteral("time (UTC)");
        for (const CMeasHistory::Column& c : columns)
            header += sep + CCsvField::Text(c.unit.isEmpty() ? c.name : c.name + QStringLiteral(" [") + c.unit + QLatin1Char(']'));
    } else {
        header = Tr(139) + sep + Tr(138) + sep;
        for (const CMeasHistory::Column& c : columns) {
            header += c.name;
            if (options.unitsInHeader) header += QLatin1Char('[') + c.unit + QLatin1Char(']');
            header += sep;
        }
    }
    bool ok = out.write(encode(header) + "\r\n") >= 0;

    QVector<double> line(columns.size(), std::nan(""));
    qint64 lineTime = 0;
    bool pending = false;
    auto flush = [&] {
        if (!pending) return;
        QString text;
        if (csv) {
            text = QDateTime::fromSecsSinceEpoch(lineTime, Qt::UTC).toString(Qt::ISODate);
        } else {
            const QDateTime local = QDateTime::fromSecsSinceEpoch(lineTime, Qt::LocalTime);
            text = CMeasuredValueArray::FormatDate(local.date()) + sep +
                   CMeasuredValueArray::FormatTime(local.time()) + sep;
        }
        for (double v : line) {
            QString value = std::isnan(v) ? QString() : QString::number(v, 'g', 12);
            if (csv)
                text += sep + value;
            else
                text += (options.CommaDecimals() ? value.replace(QLatin1Char('.'), QLatin1Char(',')) : value) + sep;
        }
        ok = ok && out.write(encode(text) + "\r\n") >= 0;
        if (records) ++*records;
        line.fill(std::nan(""));
        pending = false;
    };
    if (!history.ForEachRecord(from, to, [&](qint64 t, const QVector<int>& ids, const std::vector<double>& values) {
            // A record at the time of the line so far joins it unless it would overwrite.
            bool joins = pending && t == lineTime;
            for (qsizetype k = 0; k < ids.size() && joins; ++k)
                if (!std::isnan(values[static_cast<size_t>(k)]) && !std::isnan(line[fieldOf.value(ids[k])])) joins = false;
            if (!joins) flush();
            lineTime = t;
            pending = true;
            for (qsizetype k = 0; k < ids.size(); ++k)
                if (!std::isnan(values[static_cast<size_t>(k)])) line[fieldOf.value(ids[k])] = values[static_cast<size_t>(k)];
            return ok;
        }))
        return false;
    flush();
    return ok;
}

bool CHistoryExport::WriteFile(const CMeasHistory& history, qint64 from, qint64 to, Format format,
                               const CSaveMeasOptions& options, const QString& path,
                               qint64* records, QString* error) {
    const QString target = CRegularFile::SaveTarget(path, error);
    if (target.isEmpty()) return false;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    if (!Write(history, from, to, format, options, file, records)) {
        if (error) *error = file.error() != QFileDevice::NoError ? file.errorString() : history.LastError();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
