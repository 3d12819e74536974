// SPDX-License-Identifier: GPL-3.0-or-later
#include "recorder/CMeasHistory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>

#include "base/CAppPaths.h"
#include "recorder/CHistoryCodec.h"

Q_LOGGING_CATEGORY(lcHistory, "korvalis.history")

namespace {
// Where in its bucket an extreme lies, in 64ths: enough to draw the lowest and highest value
// in the order they occurred, in one byte.
constexpr int kPositions = 64;

struct Extreme {
    int column = 0;
    double lo = 0, hi = 0;
    int loAt = 0, hiAt = 0;
};
// One bucket: the extremes of each column that has values in it.
using Bucket = std::vector<Extreme>;
using BucketMap = std::map<qint64, Bucket>;  // by start, one map per level

void Take(Bucket& bucket, int column, double v, int at) {
    // Of equal extremes the earliest counts, whatever order the records came in.
    for (Extreme& e : bucket)
        if (e.column == column) {
            if (v < e.lo || (v == e.lo && at < e.loAt)) e.lo = v, e.loAt = at;
            if (v > e.hi || (v == e.hi && at < e.hiAt)) e.hi = v, e.hiAt = at;
            return;
        }
    bucket.push_back({column, v, v, at, at});
}

void Merge(Bucket& into, const Bucket& other) {
    for (const Extreme& o : other) {
        Take(into, o.column, o.lo, o.loAt);
        Take(into, o.column, o.hi, o.hiAt);
    }
}

QByteArray EncodeBucket(const Bucket& bucket) {
    QByteArray out;
    for (const Extreme& e : bucket) {
        CHistoryCodec::AppendVarint(out, static_cast<quint64>(e.column));
        CHistoryCodec::AppendValue(out, e.lo);
        out.append(static_cast<char>(e.loAt));
        CHistoryCodec::AppendValue(out, e.hi);
        out.append(static_cast<char>(e.hiAt));
    }
    return out;
}

bool DecodeBucket(const QByteArray& bytes, Bucket& bucket) {
    bucket.clear();
    const char* d = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype pos = 0;
    while (pos < n) {
        Extreme e;
        quint64 column = 0;
        if (!CHistoryCodec::ReadVarint(d, n, pos, column) || column > 0x7FFFFFFF) return false;
        e.column = static_cast<int>(column);
        if (!CHistoryCodec::ReadValue(d, n, pos, e.lo) || pos >= n) return false;
        e.loAt = std::clamp(static_cast<int>(static_cast<quint8>(d[pos++])), 0, kPositions - 1);
        if (!CHistoryCodec::ReadValue(d, n, pos, e.hi) || pos >= n) return false;
        e.hiAt = std::clamp(static_cast<int>(static_cast<quint8>(d[pos++])), 0, kPositions - 1);
        if (std::isnan(e.lo) || std::isnan(e.hi)) return false;
        bucket.push_back(e);
    }
    return true;
}

qint64 BucketStart(qint64 t, qint64 width) {
    const qint64 r = t % width;
    return r < 0 ? t - r - width : t - r;
}

// The buckets of every level for records given one by one, mostly in time order.
class PyramidBuilder {
public:
    void Add(qint64 t, const QVector<int>& columns, const double* values) {
        for (int level = 1; level < CMeasHistory::kLevels; ++level) {
            const qint64 width = CMeasHistory::kLevelWidth[level];
            const qint64 start = BucketStart(t, width);
            Cache& c = m_cache[level];
            if (!c.bucket || c.start != start) {
                c.bucket = &m_levels[level][start];
                c.start = start;
            }
            const int at = static_cast<int>((t - start) * kPositions / width);
            for (qsizetype k = 0; k < columns.size(); ++k)
                if (!std::isnan(values[k])) Take(*c.bucket, columns[k], values[k], at);
        }
    }
    BucketMap& Level(int level) { return m_levels[level]; }

private:
    struct Cache {
        Bucket* bucket = nullptr;
        qint64 start = 0;
    };
    BucketMap m_levels[CMeasHistory::kLevels];
    Cache m_cache[CMeasHistory::kLevels];
};

std::atomic<int> g_connections{0};

QVector<int> ParseLayout(const QString& text) {
    QVector<int> ids;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) ids.append(part.toInt());
    return ids;
}

// SQLite's codes for a file that is no database and for a damaged one.
bool IsDamage(const QSqlError& e) {
    const QString code = e.nativeErrorCode();
    return code == QLatin1String("11") || code == QLatin1String("26");
}

// The schema, step by step: a database of version n has run steps 1 to n.
const char* const kStep1[] = {
    "CREATE TABLE columns(id INTEGER PRIMARY KEY, name TEXT NOT NULL, unit TEXT NOT NULL, "
    "kind INTEGER NOT NULL DEFAULT 0, UNIQUE(name, unit))",
    "CREATE TABLE layouts(id INTEGER PRIMARY KEY, cols TEXT NOT NULL UNIQUE)",
    "CREATE TABLE sources(id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, name TEXT NOT NULL, "
    "added INTEGER NOT NULL)",
    // A record is its time, its layout and its values: the same again is no new record.
    "CREATE TABLE records(t INTEGER NOT NULL, layout INTEGER NOT NULL, v BLOB NOT NULL, "
    "source INTEGER NOT NULL, PRIMARY KEY(t, layout, v)) WITHOUT ROWID",
};
const char* const kStep2[] = {
    "CREATE TABLE buckets(level INTEGER NOT NULL, start INTEGER NOT NULL, data BLOB NOT NULL, "
    "PRIMARY KEY(level, start)) WITHOUT ROWID",
};
}  // namespace

QString CMeasHistory::Folder() {
    return CAppPaths::DataFolder() + QStringLiteral("/History");
}

QString CMeasHistory::PathFor(quint32 serial) {
    return Folder() + QLatin1Char('/') + QString::number(serial) + QStringLiteral(".sqlite");
}

QList<quint32> CMeasHistory::KnownSerials() {
    QList<quint32> serials;
    static const QRegularExpression name(QStringLiteral("^(\\d{1,10})\\.sqlite$"));
    for (const QString& file : QDir(Folder()).entryList(QDir::Files)) {
        const QRegularExpressionMatch m = name.match(file);
        bool ok = false;
        const quint32 serial = m.hasMatch() ? m.captured(1).toUInt(&ok) : 0;
        if (ok) serials.append(serial);
    }
    std::sort(serials.begin(), serials.end());
    return serials;
}

CMeasHistory::CMeasHistory() = default;

CMeasHistory::~CMeasHistory() {
    Close();
}

QSqlDatabase CMeasHistory::Db() const {
    return QSqlDatabase::database(m_connection, false);
}

bool CMeasHistory::IsOpen() const {
    return !m_connection.isEmpty() && Db().isOpen();
}

void CMeasHistory::Close() {
    if (m_connection.isEmpty()) return;
    {
        QSqlDatabase db = Db();
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
    m_layouts.clear();
}

bool CMeasHistory::Exec(QSqlQuery& q, const char* what) const {
    if (q.exec()) return true;
    m_error = QStringLiteral("%1: %2").arg(QLatin1String(what), q.lastError().text());
    return false;
}

bool CMeasHistory::Exec(const QString& sql) const {
    QSqlQuery q(Db());
    if (q.exec(sql)) return true;
    m_error = QStringLiteral("%1: %2").arg(sql.left(40), q.lastError().text());
    return false;
}

CMeasHistory::OpenResult CMeasHistory::Open(const QString& path) {
    Close();
    m_error.clear();
    m_damagedCopy.clear();
    m_path = path;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        m_error = QStringLiteral("%1 is not a regular file").arg(path);
        return OpenResult::Failed;
    }
    QDir().mkpath(info.absolutePath());

    for (int attempt = 0; attempt < 2; ++attempt) {
        m_error.clear();
        m_connection = QStringLiteral("korvalis-history-%1").arg(++g_connections);
        bool valid = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
            valid = db.isValid();
            if (valid) {
                db.setDatabaseName(path);
                // The desktop program, the command-line tool and the service may write at once.
                db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
                if (!db.open()) m_error = db.lastError().text();
            }
        }
        if (!valid || !m_error.isEmpty()) {
            if (!valid) m_error = QStringLiteral("Qt's SQLite driver is not installed");
            Close();
            return OpenResult::Failed;
        }
        bool damaged = false;
        const int version = ProbeVersion(damaged);
        if (damaged && attempt == 0) {
            Close();
            qCWarning(lcHistory, "%s: %s", qPrintable(path), qPrintable(m_error));
            m_damagedCopy = MoveAside(path);
            if (m_damagedCopy.isEmpty()) {
                m_error = QStringLiteral("%1 is damaged and cannot be moved aside").arg(path);
                return OpenResult::Failed;
            }
            qCWarning(lcHistory, "the damaged history is kept as %s", qPrintable(m_damagedCopy));
            continue;
        }
        if (version < 0) {
            Close();
            return OpenResult::Failed;
        }
        if (version > kSchemaVersion) {
            m_error = QStringLiteral("%1 was written by a newer version of the program (schema %2)")
                          .arg(path)
                          .arg(version);
            Close();
            return OpenResult::Failed;
        }
        // With the write-ahead log a process that is killed loses no committed transaction.
        if (!Exec(QStringLiteral("PRAGMA synchronous=NORMAL")) || !Migrate(version)) {
            Close();
            return OpenResult::Failed;
        }
        return m_damagedCopy.isEmpty() ? OpenResult::Ok : OpenResult::Replaced;
    }
    return OpenResult::Failed;
}

int CMeasHistory::ProbeVersion(bool& damaged) const {
    // The first statements read the file's header and schema: a file that is no database,
    // or one with a damaged header, fails here.
    QSqlQuery q(Db());
    damaged = false;
    if (q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && q.exec(QStringLiteral("PRAGMA user_version")) &&
        q.next()) {
        const int version = q.value(0).toInt();
        if (q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && q.next()) return version;
    }
    damaged = IsDamage(q.lastError());
    m_error = q.lastError().text();
    return -1;
}

int CMeasHistory::SchemaVersion() const {
    QSqlQuery q(Db());
    return q.exec(QStringLiteral("PRAGMA user_version")) && q.next() ? q.value(0).toInt() : -1;
}

bool CMeasHistory::Migrate(int from) {
    for (int step = from + 1; step <= kSchemaVersion; ++step) {
        if (!Exec(QStringLiteral("BEGIN IMMEDIATE"))) return false;
        bool ok = true;
        auto run = [&](const auto& statements) {
            for (const char* sql : statements)
                if (ok) ok = Exec(QString::fromLatin1(sql));
        };
        if (step == 1) run(kStep1);
        if (step == 2) {
            run(kStep2);
            if (ok) ok = RebuildPyramid();
        }
        if (ok) ok = Exec(QStringLiteral("PRAGMA user_version=%1").arg(step));
        if (ok) ok = Exec(QStringLiteral("COMMIT"));
        if (!ok) {
            const QString error = m_error;
            Exec(QStringLiteral("ROLLBACK"));
            m_error = QStringLiteral("updating the history to schema %1: %2").arg(step).arg(error);
            return false;
        }
    }
    return true;
}

bool CMeasHistory::LoadLayouts() const {
    if (!m_layouts.isEmpty()) return true;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT id, cols FROM layouts"))) {
        m_error = q.lastError().text();
        return false;
    }
    while (q.next()) m_layouts.insert(q.value(0).toInt(), ParseLayout(q.value(1).toString()));
    return true;
}

bool CMeasHistory::RebuildPyramid() {
    if (!LoadLayouts()) return false;
    PyramidBuilder pyramid;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT t, layout, v FROM records"))) {
        m_error = q.lastError().text();
        return false;
    }
    std::vector<double> values;
    while (q.next()) {
        const QVector<int> columns = m_layouts.value(q.value(1).toInt());
        if (!CHistoryCodec::DecodeValues(q.value(2).toByteArray(), columns.size(), values)) continue;
        pyramid.Add(q.value(0).toLongLong(), columns, values.data());
    }
    if (!Exec(QStringLiteral("DELETE FROM buckets"))) return false;
    QSqlQuery ins(Db());
    ins.prepare(QStringLiteral("INSERT INTO buckets(level, start, data) VALUES(?, ?, ?)"));
    for (int level = 1; level < kLevels; ++level)
        for (const auto& [start, bucket] : pyramid.Level(level)) {
            ins.bindValue(0, level);
            ins.bindValue(1, start);
            ins.bindValue(2, EncodeBucket(bucket));
            if (!Exec(ins, "writing the pyramid")) return false;
        }
    return true;
}

int CMeasHistory::ColumnId(const CHistoryBatch::Column& column) {
    QSqlQuery q(Db());
    q.prepare(QStringLiteral("SELECT id, kind FROM columns WHERE name = ? AND unit = ?"));
    q.bindValue(0, column.name);
    q.bindValue(1, column.unit);
    if (!Exec(q, "reading the columns")) return -1;
    if (q.next()) {
        const int id = q.value(0).toInt();
        // A download names the sensor kind that an imported file could not.
        if (q.value(1).toInt() == 0 && column.kind != 0) {
            QSqlQuery u(Db());
            u.prepare(QStringLiteral("UPDATE columns SET kind = ? WHERE id = ?"));
            u.bindValue(0, column.kind);
            u.bindValue(1, id);
            if (!Exec(u, "updating a column")) return -1;
        }
        return id;
    }
    QSqlQuery ins(Db());
    ins.prepare(QStringLiteral("INSERT INTO columns(name, unit, kind) VALUES(?, ?, ?)"));
    ins.bindValue(0, column.name);
    ins.bindValue(1, column.unit);
    ins.bindValue(2, column.kind);
    if (!Exec(ins, "adding a column")) return -1;
    return ins.lastInsertId().toInt();
}

int CMeasHistory::LayoutId(const QVector<int>& columns) {
    QStringList parts;
    for (int id : columns) parts << QString::number(id);
    const QString text = parts.join(QLatin1Char(','));
    QSqlQuery q(Db());
    q.prepare(QStringLiteral("SELECT id FROM layouts WHERE cols = ?"));
    q.bindValue(0, text);
    if (!Exec(q, "reading the layouts")) return -1;
    if (q.next()) return q.value(0).toInt();
    QSqlQuery ins(Db());
    ins.prepare(QStringLiteral("INSERT INTO layouts(cols) VALUES(?)"));
    ins.bindValue(0, text);
    if (!Exec(ins, "adding a layout")) return -1;
    const int id = ins.lastInsertId().toInt();
    m_layouts.insert(id, columns);
    return id;
}

CMeasHistory::AddResult CMeasHistory::Add(const CHistoryBatch& batch) {
    AddResult result;
    if (!IsOpen()) {
        m_error = QStringLiteral("the history is not open");
        return result;
    }
    if (batch.columns.isEmpty()) {
        result.ok = true;
        return result;
    }
    if (!LoadLayouts() || !Exec(QStringLiteral("BEGIN IMMEDIATE"))) return result;
    auto fail = [&] {
        const QString error = m_error;
        Exec(QStringLiteral("ROLLBACK"));
        m_error = error;
        m_layouts.clear();  // ids handed out in the transaction are gone
        return AddResult{};
    };

    // Two columns of one batch with the same name and unit stay two columns.
    QVector<int> columns;
    for (CHistoryBatch::Column column : batch.columns) {
        const QString base = column.name;
        for (int n = 2;; ++n) {
            const int id = ColumnId(column);
            if (id < 0) return fail();
            if (!columns.contains(id)) {
                columns.append(id);
                break;
            }
            column.name = QStringLiteral("%1 (%2)").arg(base).arg(n);
        }
    }
    const int layout = LayoutId(columns);
    if (layout < 0) return fail();

    QSqlQuery src(Db());
    src.prepare(QStringLiteral("INSERT INTO sources(kind, name, added) VALUES(?, ?, ?)"));
    src.bindValue(0, static_cast<int>(batch.source));
    // A null string would go in as NULL; a batch without a name is still a source.
    src.bindValue(1, batch.sourceName.isNull() ? QStringLiteral("") : batch.sourceName);
    src.bindValue(2, QDateTime::currentSecsSinceEpoch());
    if (!Exec(src, "adding the source")) return fail();
    const qint64 source = src.lastInsertId().toLongLong();

    PyramidBuilder pyramid;
    QSqlQuery ins(Db());
    ins.prepare(QStringLiteral("INSERT OR IGNORE INTO records(t, layout, v, source) VALUES(?, ?, ?, ?)"));
    ins.bindValue(1, layout);
    ins.bindValue(3, source);
    const int n = static_cast<int>(columns.size());
    for (qsizetype i = 0; i < batch.Count(); ++i) {
        const double* values = batch.Values(i);
        if (std::all_of(values, values + n, [](double v) { return std::isnan(v); })) continue;
        ins.bindValue(0, batch.Time(i));
        ins.bindValue(2, CHistoryCodec::EncodeValues(values, n));
        if (!Exec(ins, "adding a record")) return fail();
        // A record already there is in the stored buckets already.
        if (ins.numRowsAffected() > 0) {
            ++result.added;
            pyramid.Add(batch.Time(i), columns, values);
        } else {
            ++result.known;
        }
    }

    // Records are only ever added: a bucket's new extremes are the old ones merged with
    // those of the batch.
    QSqlQuery old(Db());
    old.setForwardOnly(true);
    old.prepare(QStringLiteral("SELECT start, data FROM buckets WHERE level = ? AND start >= ? AND start <= ?"));
    QSqlQuery put(Db());
    put.prepare(QStringLiteral("INSERT OR REPLACE INTO buckets(level, start, data) VALUES(?, ?, ?)"));
    for (int level = 1; level < kLevels; ++level) {
        BucketMap& buckets = pyramid.Level(level);
        if (buckets.empty()) continue;
        old.bindValue(0, level);
        old.bindValue(1, buckets.begin()->first);
        old.bindValue(2, buckets.rbegin()->first);
        if (!Exec(old, "reading the pyramid")) return fail();
        Bucket stored;
        while (old.next()) {
            const auto it = buckets.find(old.value(0).toLongLong());
            if (it != buckets.end() && DecodeBucket(old.value(1).toByteArray(), stored)) Merge(it->second, stored);
        }
        old.finish();
        for (const auto& [start, bucket] : buckets) {
            put.bindValue(0, level);
            put.bindValue(1, start);
            put.bindValue(2, EncodeBucket(bucket));
            if (!Exec(put, "writing the pyramid")) return fail();
        }
    }
    if (!Exec(QStringLiteral("COMMIT"))) return fail();
    result.ok = true;
    return result;
}

CMeasHistory::Outcome CMeasHistory::AddToController(quint32 serial, const CHistoryBatch& batch) {
    Outcome outcome;
    CMeasHistory history;
    outcome.open = history.Open(PathFor(serial));
    outcome.damagedCopy = history.DamagedCopy();
    if (outcome.open == OpenResult::Failed) {
        outcome.error = history.LastError();
        return outcome;
    }
    outcome.add = history.Add(batch);
    if (!outcome.add.ok) outcome.error = history.LastError();
    return outcome;
}

QVector<CMeasHistory::Column> CMeasHistory::Columns() const {
    QVector<Column> columns;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT id, name, unit, kind FROM columns ORDER BY id"))) {
        m_error = q.lastError().text();
        return columns;
    }
    while (q.next())
        columns.append({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), q.value(3).toInt()});
    return columns;
}

CMeasHistory::Summary CMeasHistory::Summarise() const {
    Summary s;
    QSqlQuery q(Db());
    if (q.exec(QStringLiteral("SELECT count(*), min(t), max(t) FROM records")) && q.next()) {
        s.count = q.value(0).toLongLong();
        s.first = q.value(1).toLongLong();
        s.last = q.value(2).toLongLong();
    } else {
        m_error = q.lastError().text();
    }
    return s;
}

bool CMeasHistory::ForEachRecord(qint64 from, qint64 to, const RecordFn& fn) const {
    if (!LoadLayouts()) return false;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT t, layout, v FROM records WHERE t >= ? AND t <= ? ORDER BY t"));
    q.bindValue(0, from);
    q.bindValue(1, to);
    if (!Exec(q, "reading the records")) return false;
    std::vector<double> values;
    while (q.next()) {
        const QVector<int> columns = m_layouts.value(q.value(1).toInt());
        if (!CHistoryCodec::DecodeValues(q.value(2).toByteArray(), columns.size(), values)) continue;
        if (!fn(q.value(0).toLongLong(), columns, values)) break;
    }
    return true;
}

int CMeasHistory::LevelFor(double secondsPerPixel) {
    int level = 0;
    for (int k = 1; k < kLevels; ++k)
        if (kLevelWidth[k] <= secondsPerPixel) level = k;
    return level;
}

bool CMeasHistory::Traces(qint64 from, qint64 to, int level, const QVector<int>& columnIds,
                          QVector<Trace>& out) const {
    out = QVector<Trace>(columnIds.size());
    const double nan = std::nan("");
    if (level <= 0) {
        // The records themselves; a step far longer than the one before is a gap.
        QVector<qint64> lastT(columnIds.size(), 0), lastStep(columnIds.size(), 0);
        return ForEachRecord(from, to, [&](qint64 t, const QVector<int>& columns, const std::vector<double>& values) {
            for (qsizetype k = 0; k < columns.size(); ++k) {
                const qsizetype c = columnIds.indexOf(columns[k]);
                if (c < 0 || std::isnan(values[static_cast<size_t>(k)])) continue;
                Trace& trace = out[c];
                if (!trace.x.empty()) {
                    const qint64 step = t - lastT[c];
                    if (lastStep[c] > 0 && step > 3 * lastStep[c] && step > 600) {
                        trace.x.push_back((lastT[c] + lastStep[c]) * 1000.0);
                        trace.y.push_back(nan);
                    }
                    if (step > 0) lastStep[c] = step;
                }
                lastT[c] = t;
                trace.x.push_back(t * 1000.0);
                trace.y.push_back(values[static_cast<size_t>(k)]);
            }
            return true;
        });
    }
    level = std::min(level, kLevels - 1);
    const qint64 width = kLevelWidth[level];
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT start, data FROM buckets WHERE level = ? AND start >= ? AND start <= ? ORDER BY start"));
    q.bindValue(0, level);
    q.bindValue(1, BucketStart(from, width));
    q.bindValue(2, to);
    if (!Exec(q, "reading the pyramid")) return false;
    QVector<qint64> lastStart(columnIds.size(), 0);
    Bucket bucket;
    const double perPosition = width * 1000.0 / kPositions;
    while (q.next()) {
        const qint64 start = q.value(0).toLongLong();
        if (!DecodeBucket(q.value(1).toByteArray(), bucket)) continue;
        for (const Extreme& e : bucket) {
            const qsizetype c = columnIds.indexOf(e.column);
            if (c < 0) continue;
            Trace& trace = out[c];
            // A bucket without values between two with values: the line breaks.
            if (!trace.x.empty() && start > lastStart[c] + width) {
                trace.x.push_back((lastStart[c] + width) * 1000.0);
                trace.y.push_back(nan);
            }
            lastStart[c] = start;
            const double x0 = start * 1000.0;
            const bool lowFirst = e.loAt <= e.hiAt;
            const double a = lowFirst ? e.lo : e.hi, b = lowFirst ? e.hi : e.lo;
            const int aAt = lowFirst ? e.loAt : e.hiAt, bAt = lowFirst ? e.hiAt : e.loAt;
            trace.x.push_back(x0 + (aAt + 0.5) * perPosition);
            trace.y.push_back(a);
            if (b != a) {
                trace.x.push_back(x0 + (bAt + 0.5) * perPosition);
                trace.y.push_back(b);
            }
        }
    }
    return true;
}

QStringList CMeasHistory::IntegrityProblems() const {
    QStringList problems;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA integrity_check"))) return {q.lastError().text()};
    while (q.next()) {
        const QString line = q.value(0).toString();
        if (line != QLatin1String("ok")) problems << line;
    }
    return problems;
}

QVector<CMeasHistory::Gap> CMeasHistory::Gaps(qint64* usualStep) const {
    QVector<qint64> times;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT DISTINCT t FROM records ORDER BY t")))
        while (q.next()) times.append(q.value(0).toLongLong());
    QHash<qint64, qint64> steps;
    for (qsizetype i = 1; i < times.size(); ++i) ++steps[times[i] - times[i - 1]];
    qint64 usual = 0, most = 0;
    for (auto it = steps.cbegin(); it != steps.cend(); ++it)
        if (it.value() > most || (it.value() == most && it.key() < usual)) {
            most = it.value();
            usual = it.key();
        }
    if (usualStep) *usualStep = usual;
    QVector<Gap> gaps;
    for (qsizetype i = 1; i < times.size() && usual > 0; ++i)
        if (times[i] - times[i - 1] > 2 * usual) gaps.append({times[i - 1], times[i]});
    return gaps;
}

QString CMeasHistory::MoveAside(const QString& path) {
    QString aside = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(aside); ++n) aside = path + QStringLiteral(".damaged-%1").arg(n);
    if (!QFile::rename(path, aside)) return {};
    // The log belongs to the file it was written for; the shared-memory index is rebuilt.
    if (QFileInfo::exists(path + QStringLiteral("-wal"))) QFile::rename(path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    return aside;
}

bool CMeasHistory::KeepAside() {
    const QString path = m_path;
    Close();
    m_damagedCopy = MoveAside(path);
    if (!m_damagedCopy.isEmpty()) qCWarning(lcHistory, "the damaged history is kept as %s", qPrintable(m_damagedCopy));
    return !m_damagedCopy.isEmpty();
}
