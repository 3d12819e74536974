// SPDX-License-Identifier: GPL-3.0-or-later
// The measured-value history of one controller: an SQLite database (Qt SQL) in the data
// folder, named after the controller's serial number, that every download and every
// imported measured-value file adds to. A record is kept once: the same time with the same
// values is not stored again, so overlapping downloads and files merge. The records are kept
// packed, a day of one layout and source to a row: a year of one-minute records takes 365
// rows instead of half a million, which keeps both the import and the file small. Beside them
// a pyramid of lowest and highest values per time bucket (half an hour, three hours, a day)
// is kept up to date on every insert, so that a chart of a year reads a few thousand rows.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <QHash>
#include <functional>
#include <vector>

#include "recorder/CHistoryBatch.h"

class QSqlDatabase;
class QSqlQuery;

class CMeasHistory {
public:
    static constexpr int kSchemaVersion = 3;
    // The span of time, in seconds, whose records of one layout and source share a row.
    static constexpr qint64 kChunkWidth = 86400;
    // Bucket widths in seconds of the pyramid's levels 1 to 3; level 0 is the records.
    static constexpr qint64 kLevelWidth[4] = {0, 1800, 3 * 3600, 86400};
    static constexpr int kLevels = 4;

    // <data folder>/History and the database of a controller in it.
    static QString Folder();
    static QString PathFor(quint32 serial);
    // Serial numbers of the databases in the folder.
    static QList<quint32> KnownSerials();

    CMeasHistory();
    ~CMeasHistory();
    CMeasHistory(const CMeasHistory&) = delete;
    CMeasHistory& operator=(const CMeasHistory&) = delete;

    enum class OpenResult {
        Ok,
        // The file was no database or a damaged one: it is kept aside (DamagedCopy) and a
        // new, empty history was started in its place.
        Replaced,
        Failed,  // cannot be used at all (LastError), nothing was changed
    };
    // Creates the file when missing and brings an older schema up to date.
    OpenResult Open(const QString& path);
    void Close();
    bool IsOpen() const;
    QString Path() const { return m_path; }
    QString LastError() const { return m_error; }
    QString DamagedCopy() const { return m_damagedCopy; }
    int SchemaVersion() const;

    struct AddResult {
        bool ok = false;
        qint64 added = 0;
        qint64 known = 0;  // already there: same time and values
    };
    // One transaction: all of the batch or, on failure, nothing.
    AddResult Add(const CHistoryBatch& batch);

    // What a download (desktop, command line or service) does with what it read: opens the
    // controller's history, adds the records (their source named by the serial number) and
    // closes it again.
    struct Outcome {
        OpenResult open = OpenResult::Failed;
        AddResult add;
        QString error;        // when open failed or add did not succeed
        QString damagedCopy;  // when open replaced a damaged database
    };
    static Outcome AddToController(quint32 serial, CHistoryBatch& batch);

    struct Column {
        int id = 0;
        QString name;
        QString unit;
        int kind = 0;
    };
    QVector<Column> Columns() const;

    struct Summary {
        qint64 count = 0;
        qint64 first = 0;  // seconds UTC, valid when count > 0
        qint64 last = 0;
    };
    Summary Summarise() const;

    // Every record with from <= t <= to (seconds UTC), in time order. The callback gets the
    // time, the layout's column ids and their values; returning false stops.
    using RecordFn = std::function<bool(qint64 t, const QVector<int>& columns, const std::vector<double>& values)>;
    bool ForEachRecord(qint64 from, qint64 to, const RecordFn& fn) const;

    // The level whose buckets are no wider than one pixel column of the given width.
    static int LevelFor(double secondsPerPixel);
    // One line per column id asked for, over from..to (seconds UTC): x in milliseconds
    // ascending, y with NaN where the record has a gap. At level 0 the records themselves,
    // above it the lowest and highest value of each bucket, in the order they occurred.
    struct Trace {
        std::vector<double> x;
        std::vector<double> y;
    };
    bool Traces(qint64 from, qint64 to, int level, const QVector<int>& columnIds,
                QVector<Trace>& out) const;

    // PRAGMA integrity_check's complaints and records that do not decode; empty when the
    // database is sound.
    QStringList IntegrityProblems() const;
    // Stretches longer than twice the usual distance between records.
    struct Gap {
        qint64 from = 0;
        qint64 to = 0;
    };
    QVector<Gap> Gaps(qint64* usualStep = nullptr) const;
    // Moves the (open) database aside as damaged; the next Open starts a new one.
    bool KeepAside();

private:
    bool Exec(QSqlQuery& q, const char* what) const;
    bool Exec(const QString& sql) const;
    bool Migrate(int from);
    int ProbeVersion(bool& damaged) const;
    bool RebuildPyramid();
    bool PackRecords();
    bool LoadLayouts() const;
    int ColumnId(const CHistoryBatch::Column& column);
    int LayoutId(const QVector<int>& columns);
    QString MoveAside(const QString& path);
    QSqlDatabase Db() const;

    QString m_connection;
    QString m_path;
    mutable QString m_error;
    QString m_damagedCopy;
    mutable QHash<int, QVector<int>> m_layouts;
};
