// SPDX-License-Identifier: GPL-3.0-or-later
#include "recorder/CMeasHistory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <map>
#include <string_view>

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
// A row per day, layout and source (CHistoryCodec's chunk); the records of schema 1 and 2
// move into it (PackRecords). A row of a day is some kilobytes: in a table with a row id it
// stays on its page or fills whole overflow pages, where an index would split it early.
const char* const kStep3[] = {
    "CREATE TABLE chunks(start INTEGER NOT NULL, layout INTEGER NOT NULL, source INTEGER NOT NULL, "
    "n INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(start, layout, source))",
};

// The lowest start of a chunk that may hold a record at or after t.
qint64 ChunkFloor(qint64 t) {
    return t <= std::numeric_limits<qint64>::min() + CMeasHistory::kChunkWidth ? t
                                                                                : BucketStart(t, CMeasHistory::kChunkWidth);
}

QByteArray TimeKey(qint64 t, const char* values, qsizetype size) {
    QByteArray key(reinterpret_cast<const char*>(&t), sizeof t);
    key.append(values, size);
    return key;
}
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
    if (from >= kSchemaVersion) return true;
    // All steps in one transaction: a process killed midway leaves the old schema whole.
    if (!Exec(QStringLiteral("BEGIN IMMEDIATE"))) return false;
    // Another process may have brought the file up to date while this one waited for the lock.
    from = SchemaVersion();
    if (from == kSchemaVersion) return Exec(QStringLiteral("COMMIT"));
    bool ok = from >= 0 && from < kSchemaVersion;
    if (!ok) m_error = QStringLiteral("schema %1 found").arg(from);
    auto run = [&](const auto& statements) {
        for (const char* sql : statements)
            if (ok) ok = Exec(QString::fromLatin1(sql));
    };
    for (int step = from + 1; step <= kSchemaVersion && ok; ++step) {
        if (step == 1) run(kStep1);
        if (step == 2) run(kStep2);
        if (step == 3) {
            run(kStep3);
            if (ok) ok = PackRecords();
        }
    }
    // Schema 1 had no pyramid: it is built from the records, once they are packed.
    if (ok && from == 1) ok = RebuildPyramid();
    if (ok) ok = Exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion));
    if (ok) ok = Exec(QStringLiteral("COMMIT"));
    if (!ok) {
        const QString error = m_error;
        Exec(QStringLiteral("ROLLBACK"));
        m_layouts.clear();
        m_error = QStringLiteral("updating the history to schema %1: %2").arg(kSchemaVersion).arg(error);
        return false;
    }
    // The pages the unpacked records took are given back; a failure only costs space.
    if (from > 0) Exec(QStringLiteral("VACUUM"));
    return true;
}

bool CMeasHistory::PackRecords() {
    if (!LoadLayouts()) return false;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT t, layout, v, source FROM records ORDER BY t"))) {
        m_error = q.lastError().text();
        return false;
    }
    struct Packing {
        QByteArray data;
        qint64 previous = 0;
        qint64 n = 0;
    };
    std::map<std::pair<int, qint64>, Packing> open;  // by layout and source, for one day
    qint64 day = 0;
    QSqlQuery add(Db());
    add.prepare(QStringLiteral("INSERT INTO chunks(start, layout, source, n, data) VALUES(?, ?, ?, ?, ?)"));
    auto flush = [&] {
        for (const auto& [key, packing] : open) {
            add.bindValue(0, day);
            add.bindValue(1, key.first);
            add.bindValue(2, key.second);
            add.bindValue(3, packing.n);
            add.bindValue(4, packing.data);
            if (!Exec(add, "packing the records")) return false;
        }
        open.clear();
        return true;
    };
    std::vector<double> values;
    while (q.next()) {
        const qint64 t = q.value(0).toLongLong();
        const qint64 start = ChunkFloor(t);
        if (start != day && !flush()) return false;
        day = start;
        const int layout = q.value(1).toInt();
        const QByteArray v = q.value(2).toByteArray();
        // Bytes that do not decode were never readable: they are left behind.
        if (!CHistoryCodec::DecodeValues(v, static_cast<int>(m_layouts.value(layout).size()), values)) continue;
        Packing& p = open[{layout, q.value(3).toLongLong()}];
        if (p.n == 0) p.previous = start;
        CHistoryCodec::AppendRecord(p.data, static_cast<quint64>(t - p.previous), v.constData(), v.size());
        p.previous = t;
        ++p.n;
    }
    return flush() && Exec(QStringLiteral("DROP TABLE records"));
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
    const bool read = ForEachRecord(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
                                    [&](qint64 t, const QVector<int>& columns, const std::vector<double>& values) {
                                        pyramid.Add(t, columns, values.data());
                                        return true;
                                    });
    if (!read) return false;
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

    // Every record's value bytes in one pool, the records in time order and, at one time,
    // by their bytes: a record given twice lies next to itself.
    const int n = static_cast<int>(columns.size());
    struct Entry {
        qint64 t;
        qsizetype index, begin, end;
    };
    QByteArray pool;
    pool.reserve(batch.Count() * n * 3);
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(batch.Count()));
    for (qsizetype i = 0; i < batch.Count(); ++i) {
        const double* values = batch.Values(i);
        if (std::all_of(values, values + n, [](double v) { return std::isnan(v); })) continue;
        const qsizetype begin = pool.size();
        for (int k = 0; k < n; ++k) CHistoryCodec::AppendValue(pool, values[k]);
        entries.push_back({batch.Time(i), i, begin, pool.size()});
    }
    auto bytes = [&](const Entry& e) {
        return std::string_view(pool.constData() + e.begin, static_cast<size_t>(e.end - e.begin));
    };
    auto before = [&](const Entry& a, const Entry& b) { return a.t != b.t ? a.t < b.t : bytes(a) < bytes(b); };
    if (!std::is_sorted(entries.begin(), entries.end(), before)) std::sort(entries.begin(), entries.end(), before);

    // Day by day: the records of this layout already stored that day, then the new ones.
    QSqlQuery known(Db());
    known.setForwardOnly(true);
    known.prepare(QStringLiteral("SELECT data FROM chunks WHERE start = ? AND layout = ?"));
    known.bindValue(1, layout);
    QSet<QByteArray> stored;
    std::vector<CHistoryCodec::ChunkRecord> split;
    auto readDay = [&](qint64 start) {
        stored.clear();
        known.bindValue(0, start);
        if (!Exec(known, "reading the records")) return false;
        while (known.next()) {
            const QByteArray data = known.value(0).toByteArray();
            if (!CHistoryCodec::SplitChunk(data, n, kChunkWidth, split)) continue;
            for (const CHistoryCodec::ChunkRecord& r : split)
                stored.insert(TimeKey(start + r.offset, data.constData() + r.begin, r.end - r.begin));
        }
        known.finish();
        return true;
    };

    PyramidBuilder pyramid;
    QSqlQuery add(Db());
    add.prepare(QStringLiteral("INSERT INTO chunks(start, layout, source, n, data) VALUES(?, ?, ?, ?, ?)"));
    add.bindValue(1, layout);
    add.bindValue(2, source);
    QByteArray chunk;
    qint64 day = 0, previousT = 0, inChunk = 0;
    auto flush = [&] {
        if (inChunk == 0) return true;
        add.bindValue(0, day);
        add.bindValue(3, inChunk);
        add.bindValue(4, chunk);
        const bool ok = Exec(add, "adding records");
        chunk.truncate(0);
        inChunk = 0;
        return ok;
    };
    const Entry* previous = nullptr;
    for (const Entry& e : entries) {
        const qint64 start = ChunkFloor(e.t);
        if (!previous || start != day) {
            if (!flush() || !readDay(start)) return fail();
            day = previousT = start;
        }
        const std::string_view v = bytes(e);
        const bool twice = previous && previous->t == e.t && bytes(*previous) == v;
        previous = &e;
        // A record already there is in the stored buckets already.
        if (twice || (!stored.isEmpty() && stored.contains(TimeKey(e.t, v.data(), static_cast<qsizetype>(v.size()))))) {
            ++result.known;
            continue;
        }
        CHistoryCodec::AppendRecord(chunk, static_cast<quint64>(e.t - previousT), v.data(), static_cast<qsizetype>(v.size()));
        previousT = e.t;
        ++inChunk;
        ++result.added;
        pyramid.Add(e.t, columns, batch.Values(e.index));
    }
    if (!flush()) return fail();

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

CMeasHistory::Outcome CMeasHistory::AddToController(quint32 serial, CHistoryBatch& batch) {
    batch.sourceName = QString::number(serial);
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
    if (!q.exec(QStringLiteral("SELECT total(n), min(start), max(start) FROM chunks")) || !q.next()) {
        m_error = q.lastError().text();
        return s;
    }
    s.count = q.value(0).toLongLong();
    if (s.count <= 0) return s;
    // The first and last day's rows hold the first and last record.
    const qint64 firstDay = q.value(1).toLongLong(), lastDay = q.value(2).toLongLong();
    bool seen = false;
    ForEachRecord(firstDay, firstDay + kChunkWidth - 1, [&](qint64 t, const QVector<int>&, const std::vector<double>&) {
        s.first = t;
        seen = true;
        return false;
    });
    ForEachRecord(lastDay, lastDay + kChunkWidth - 1, [&](qint64 t, const QVector<int>&, const std::vector<double>&) {
        s.last = t;
        return true;
    });
    if (!seen) s.first = s.last = firstDay;
    return s;
}

bool CMeasHistory::ForEachRecord(qint64 from, qint64 to, const RecordFn& fn) const {
    if (!LoadLayouts()) return false;
    if (from > to) return true;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT start, layout, data FROM chunks WHERE start >= ? AND start <= ? ORDER BY start"));
    q.bindValue(0, ChunkFloor(from));
    q.bindValue(1, to);
    if (!Exec(q, "reading the records")) return false;
    // The rows of one day (other layouts, other sources) give their records together, in
    // time order.
    struct Entry {
        qint64 t;
        size_t row;
        qsizetype begin, end;
    };
    std::vector<Entry> entries;
    std::vector<std::pair<QByteArray, QVector<int>>> rows;
    std::vector<CHistoryCodec::ChunkRecord> split;
    std::vector<double> values;
    qint64 day = 0;
    auto give = [&] {
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.t < b.t; });
        for (const Entry& e : entries) {
            if (e.t < from || e.t > to) continue;
            const auto& [data, columns] = rows[e.row];
            values.assign(static_cast<size_t>(columns.size()), 0.0);
            qsizetype pos = e.begin;
            for (double& v : values) CHistoryCodec::ReadValue(data.constData(), e.end, pos, v);
            if (!fn(e.t, columns, values)) return false;
        }
        entries.clear();
        rows.clear();
        return true;
    };
    while (q.next()) {
        const qint64 start = q.value(0).toLongLong();
        if (start != day && !give()) return true;
        day = start;
        const auto layout = m_layouts.constFind(q.value(1).toInt());
        const QByteArray data = q.value(2).toByteArray();
        // A row that does not decode is left out; the integrity check does not see into it.
        if (layout == m_layouts.constEnd() || !CHistoryCodec::SplitChunk(data, static_cast<int>(layout->size()), kChunkWidth, split))
            continue;
        rows.emplace_back(data, *layout);
        for (const CHistoryCodec::ChunkRecord& r : split) entries.push_back({start + r.offset, rows.size() - 1, r.begin, r.end});
    }
    give();
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
    if (!problems.isEmpty() || !LoadLayouts()) return problems;
    // SQLite does not look into a row's bytes: records that do not decode are damage too.
    if (!q.exec(QStringLiteral("SELECT start, layout, data FROM chunks"))) return {q.lastError().text()};
    std::vector<CHistoryCodec::ChunkRecord> split;
    while (q.next()) {
        const int layout = q.value(1).toInt();
        const auto columns = m_layouts.constFind(layout);
        if (columns == m_layouts.constEnd() ||
            !CHistoryCodec::SplitChunk(q.value(2).toByteArray(), static_cast<int>(columns->size()), kChunkWidth, split))
            problems << QStringLiteral("the records of layout %1 from %2 do not decode")
                            .arg(layout)
                            .arg(QDateTime::fromSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC).toString(Qt::ISODate));
    }
    return problems;
}

QVector<CMeasHistory::Gap> CMeasHistory::Gaps(qint64* usualStep) const {
    QVector<qint64> times;
    ForEachRecord(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
                  [&](qint64 t, const QVector<int>&, const std::vector<double>&) {
                      if (times.isEmpty() || times.last() != t) times.append(t);
                      return true;
                  });
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
