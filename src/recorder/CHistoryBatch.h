// SPDX-License-Identifier: GPL-3.0-or-later
// Records on their way into the history database: the columns (name, unit, sensor kind),
// and per record its time in UTC and one value per column (NaN where missing), plus where
// they came from.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

class CMeasuredValueArray;

class CHistoryBatch {
public:
    enum class Source { Download = 0, File = 1 };
    struct Column {
        QString name;
        QString unit;
        int kind = 0;  // sensor type code, 0 when not known (an imported file)
    };

    Source source = Source::Download;
    QString sourceName;  // the file's name, or the controller's serial number
    QVector<Column> columns;

    qsizetype Count() const { return m_times.size(); }
    qint64 Time(qsizetype i) const { return m_times[i]; }  // seconds since 1970, UTC
    const double* Values(qsizetype i) const { return m_values.constData() + i * columns.size(); }
    void Reserve(qsizetype n);
    // values: one per column.
    void Append(qint64 utcSeconds, const double* values);

    // A measured-value file's records: its wall-clock times are local time. A time the
    // daylight-saving change makes ambiguous is taken as the later one when the earlier
    // would put the record before the one above it; a time the change skips is moved past it.
    static CHistoryBatch FromFile(const CMeasuredValueArray& array, const QString& name);
    static qint64 LocalToUtc(const QDateTime& wallClock, qint64 previousUtc);

    // Converting a year of one-minute records one by one through the time-zone rules is
    // slow: between two changes of the offset a time is converted by subtraction.
    class LocalClock {
    public:
        qint64 ToUtc(const QDateTime& wallClock, qint64 previousUtc);

    private:
        int m_offset = 0;
        qint64 m_safeFrom = 1;  // UTC range over which m_offset holds, a day clear of changes
        qint64 m_safeTo = 0;
    };

private:
    QVector<qint64> m_times;
    QVector<double> m_values;
};
