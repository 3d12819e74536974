// SPDX-License-Identifier: GPL-3.0-or-later
// The contents of a measured-value file: the header's columns and every record, plus the
// date and time texts that writing and reading share.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTime>
#include <QVector>

#include "recorder/CMeasuredValue.h"

class QIODevice;

class CMeasuredValueArray {
public:
    // A record holds eight values, so a file announcing more columns cannot be shown.
    static constexpr int kMaxColumns = CMeasuredValue::kMaxValues;
    // Bounds for files that are not what they claim: a real header or record is far shorter,
    // and four million records are eight years of one-minute data.
    static constexpr qsizetype kMaxLineLength = 4096;
    static constexpr qsizetype kMaxRecords = 4'000'000;

    // The date and time texts the program writes: fixed, so that a file reads back the same
    // whatever the locale. Reading also takes the system's short formats.
    static QString FormatDate(QDate date);
    static QString FormatTime(QTime time);
    static bool ParseDateTime(QStringView date, QStringView time, QDateTime& out);

    // The header line: separator (tab when present, else ';'), units flag ("[" present),
    // the date and time column titles and the value columns. False on a malformed header
    // or more than eight value columns.
    bool ParseHeader(QStringView line);
    // One record line with the header's separator. Either decimal separator is read.
    // False when the line has more value fields than the header, no time stamp that can
    // be read, or the array is full.
    bool ParseRecord(QStringView line);

    enum class LoadResult { Ok, CannotOpen, Malformed };
    // Reads a whole file: header, then every non-empty line as a record.
    LoadResult LoadFile(const QString& path);
    // The same from an open device (the file's contents in memory, say).
    LoadResult Load(QIODevice& device);

    void Clear();
    qsizetype GetCount() const { return m_records.size(); }
    const CMeasuredValue& operator[](qsizetype i) const { return m_records[i]; }
    const CMeasuredValue& At(qsizetype i) const { return m_records.at(i); }
    void Add(const CMeasuredValue& value) { m_records.append(value); }
    void Reserve(qsizetype n) { m_records.reserve(n); }

    QChar FieldSeparator() const { return m_separator; }
    bool HasUnits() const { return m_units; }
    QString DateTitle() const { return m_dateTitle; }
    QString TimeTitle() const { return m_timeTitle; }
    int ValueColumnCount() const { return m_columnCount; }
    QString ColumnName(int k) const { return m_names.value(k); }
    QString ColumnUnit(int k) const { return m_unitTexts.value(k); }

private:
    QVector<CMeasuredValue> m_records;
    QChar m_separator = u';';
    bool m_units = false;
    QString m_dateTitle;
    QString m_timeTitle;
    int m_columnCount = 0;
    QStringList m_names;
    QStringList m_unitTexts;
};
