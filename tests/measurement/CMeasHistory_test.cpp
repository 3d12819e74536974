// SPDX-License-Identifier: GPL-3.0-or-later
// The history database on real SQLite files: merging, local time across the daylight-saving
// changes, migration of an older schema, damaged files, a process killed while importing,
// and the command-line tool's history commands. Runs in the Europe/Berlin time zone.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <ctime>
#include <functional>
#include <limits>

#include "recorder/CHistoryCodec.h"
#include "recorder/CHistoryExport.h"
#include "recorder/CMeasHistory.h"
#include "recorder/CMeasuredValueArray.h"
#include "support/CtlProcess.h"

namespace {
const QDateTime kStart(QDate(2026, 3, 1), QTime(0, 0), Qt::UTC);

// Two columns; the values follow the minute so that overlapping batches agree.
CHistoryBatch Minutes(int firstMinute, int count, double shift = 0.0) {
    CHistoryBatch b;
    b.columns = {{QStringLiteral("Temperature 1"), QStringLiteral("\u00b0C"), 1}, {QStringLiteral("pH 2"), QStringLiteral("pH"), 2}};
    for (int m = firstMinute; m < firstMinute + count; ++m) {
        const double v[2] = {std::round((25 + 2 * std::sin(m / 300.0)) * 10) / 10 + shift, 8 + (m % 97) / 100.0};
        b.Append(kStart.toSecsSinceEpoch() + m * 60, v);
    }
    return b;
}

QString WriteFile(const QString& path, const QStringList& lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write("Date;Time;Temperature 1[\xb0" "C];\r\n");
    for (const QString& l : lines) f.write(l.toLatin1() + "\r\n");
    return path;
}

qint64 Count(const QString& path) {
    CMeasHistory h;
    if (h.Open(path) == CMeasHistory::OpenResult::Failed) return -1;
    return h.Summarise().count;
}
}  // namespace

class CMeasHistory_test : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Db(const char* name) { return m_dir.filePath(QLatin1String(name)); }

private Q_SLOTS:
    void codecKeepsTheDigitsRead() {
        const double values[] = {0, -0.1, 25.3, 8.12, 1013.25, -40, 123456.7, 0.000123, std::nan("")};
        const QByteArray bytes = CHistoryCodec::EncodeValues(values, 9);
        std::vector<double> back;
        QVERIFY(CHistoryCodec::DecodeValues(bytes, 9, back));
        for (int k = 0; k < 8; ++k) QCOMPARE(back[static_cast<size_t>(k)], values[k]);
        QVERIFY(std::isnan(back[8]));
        // Typical readings take two bytes: the size target depends on it.
        QCOMPARE(CHistoryCodec::EncodeValues(values + 2, 2).size(), 4);
        QVERIFY(!CHistoryCodec::DecodeValues(bytes, 10, back));
        QVERIFY(!CHistoryCodec::DecodeValues(bytes.left(bytes.size() - 1), 9, back));

        // A chunk: records at 0 and 60 s, and two at 120 s; a step past its span is damage.
        QByteArray chunk;
        for (int step : {0, 60, 60, 0}) CHistoryCodec::AppendRecord(chunk, step, bytes.constData(), bytes.size());
        std::vector<CHistoryCodec::ChunkRecord> split;
        QVERIFY(CHistoryCodec::SplitChunk(chunk, 9, 86400, split));
        QCOMPARE(split.size(), size_t(4));
        QCOMPARE(split[3].offset, 120);
        QCOMPARE(chunk.mid(split[3].begin, split[3].end - split[3].begin), bytes);
        QVERIFY(!CHistoryCodec::SplitChunk(chunk, 9, 120, split));
        QVERIFY(!CHistoryCodec::SplitChunk(chunk.left(chunk.size() - 1), 9, 86400, split));
    }

    // Overlapping downloads merge; the pyramid kept up on each insert equals one built
    // from all records at once.
    void overlappingBatchesMerge() {
        CMeasHistory h;
        QCOMPARE(h.Open(Db("merge.sqlite")), CMeasHistory::OpenResult::Ok);
        struct Step {
            CHistoryBatch batch;
            qint64 added, known;
        } steps[] = {
            {Minutes(0, 3000), 3000, 0},
            {Minutes(2000, 3000), 2000, 1000},  // overlaps the last 1000
            {Minutes(0, 5000), 0, 5000},        // all known
            {Minutes(4999, 1, 0.5), 1, 0},      // same time, other value: a record of its own
        };
        for (const Step& s : steps) {
            const CMeasHistory::AddResult r = h.Add(s.batch);
            QVERIFY2(r.ok, qPrintable(h.LastError()));
            QCOMPARE(r.added, s.added);
            QCOMPARE(r.known, s.known);
        }
        QCOMPARE(h.Summarise().count, 5001);

        CMeasHistory once;
        QCOMPARE(once.Open(Db("once.sqlite")), CMeasHistory::OpenResult::Ok);
        CHistoryBatch all = Minutes(0, 5000);
        all.Append(Minutes(4999, 1, 0.5).Time(0), Minutes(4999, 1, 0.5).Values(0));
        QVERIFY(once.Add(all).ok);
        const QVector<int> ids = {1, 2};
        for (int level = 0; level < CMeasHistory::kLevels; ++level) {
            QVector<CMeasHistory::Trace> a, b;
            QVERIFY(h.Traces(0, std::numeric_limits<qint32>::max(), level, ids, a));
            QVERIFY(once.Traces(0, std::numeric_limits<qint32>::max(), level, ids, b));
            for (int c = 0; c < 2; ++c) {
                QVERIFY(!a[c].x.empty());
                QCOMPARE(a[c].x, b[c].x);
                QCOMPARE(a[c].y.size(), b[c].y.size());
                for (size_t i = 0; i < a[c].y.size(); ++i)
                    QVERIFY(a[c].y[i] == b[c].y[i] || (std::isnan(a[c].y[i]) && std::isnan(b[c].y[i])));
            }
        }
        // The pyramid's extremes are the records' own.
        QVector<CMeasHistory::Trace> day;
        QVERIFY(h.Traces(0, std::numeric_limits<qint32>::max(), 3, ids, day));
        QCOMPARE(*std::max_element(day[0].y.begin(), day[0].y.end()), 27.0);
    }

    // A file's wall-clock times are local: across both changes of 2026 they become
    // distinct, ordered UTC times, and the export gives the same wall-clock texts back.
    void localTimeAcrossDaylightSaving() {
        const QStringList lines = {
            "2026-03-29;01:30;1;", "2026-03-29;03:00;2;", "2026-03-29;03:30;3;",                       // spring
            "2026-10-25;01:30;4;", "2026-10-25;02:00;5;", "2026-10-25;02:30;6;", "2026-10-25;02:00;7;",  // autumn,
            "2026-10-25;02:30;8;", "2026-10-25;03:00;9;"};                                                // twice
        const QString file = WriteFile(m_dir.filePath("dst.txt"), lines);
        CMeasuredValueArray array;
        QCOMPARE(array.LoadFile(file), CMeasuredValueArray::LoadResult::Ok);
        const CHistoryBatch batch = CHistoryBatch::FromFile(array, "dst.txt");
        const char* utc[] = {"2026-03-29T00:30:00Z", "2026-03-29T01:00:00Z", "2026-03-29T01:30:00Z",
                             "2026-10-24T23:30:00Z", "2026-10-25T00:00:00Z", "2026-10-25T00:30:00Z",
                             "2026-10-25T01:00:00Z", "2026-10-25T01:30:00Z", "2026-10-25T02:00:00Z"};
        QCOMPARE(batch.Count(), 9);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(QDateTime::fromSecsSinceEpoch(batch.Time(i), Qt::UTC).toString(Qt::ISODate), QLatin1String(utc[i]));

        CMeasHistory h;
        QVERIFY(h.Open(Db("dst.sqlite")) == CMeasHistory::OpenResult::Ok);
        QCOMPARE(h.Add(batch).added, 9);
        CSaveMeasOptions options;
        options.fieldSeparator = 0;
        QString error;
        QVERIFY(CHistoryExport::WriteFile(h, 0, std::numeric_limits<qint32>::max(), CHistoryExport::Format::MeasuredValues,
                                          options, m_dir.filePath("back.txt"), nullptr, &error));
        QFile back(m_dir.filePath("back.txt"));
        QVERIFY(back.open(QIODevice::ReadOnly));
        QStringList got = QString::fromLatin1(back.readAll()).split("\r\n", Qt::SkipEmptyParts);
        got.removeFirst();
        QCOMPARE(got, lines);
        // Read back, the file lands on the same records.
        CMeasuredValueArray again;
        QCOMPARE(again.LoadFile(m_dir.filePath("back.txt")), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(h.Add(CHistoryBatch::FromFile(again, "back.txt")).known, 9);
        QVERIFY(CHistoryExport::WriteFile(h, 0, std::numeric_limits<qint32>::max(), CHistoryExport::Format::Csv, options,
                                          m_dir.filePath("back.csv"), nullptr, &error));
        QFile csv(m_dir.filePath("back.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList csvLines = QString::fromUtf8(csv.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(csvLines.value(0), QStringLiteral("time (UTC),Temperature 1 [\u00b0C]"));
        QCOMPARE(csvLines.value(7), QStringLiteral("2026-10-25T01:00:00Z,7"));
    }

    // A database of the first schema: its records stay, packed, and get their pyramid.
    void migratesTheFirstSchema() {
        const QString path = Db("v1.sqlite");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "v1");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const char* sql :
                 {"CREATE TABLE columns(id INTEGER PRIMARY KEY, name TEXT NOT NULL, unit TEXT NOT NULL, kind INTEGER NOT NULL DEFAULT 0, UNIQUE(name, unit))",
                  "CREATE TABLE layouts(id INTEGER PRIMARY KEY, cols TEXT NOT NULL UNIQUE)",
                  "CREATE TABLE sources(id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, name TEXT NOT NULL, added INTEGER NOT NULL)",
                  "CREATE TABLE records(t INTEGER NOT NULL, layout INTEGER NOT NULL, v BLOB NOT NULL, source INTEGER NOT NULL, PRIMARY KEY(t, layout, v)) WITHOUT ROWID",
                  "INSERT INTO columns VALUES(1, 'Redox 3', 'mV', 3)", "INSERT INTO layouts VALUES(1, '1')",
                  "INSERT INTO sources VALUES(1, 1, 'old.txt', 0)", "PRAGMA user_version=1"})
                QVERIFY2(q.exec(QLatin1String(sql)), sql);
            q.prepare("INSERT INTO records VALUES(?, 1, ?, 1)");
            for (int m = 0; m < 600; ++m) {
                const double v = 300 + m % 50;
                q.bindValue(0, kStart.toSecsSinceEpoch() + m * 60);
                q.bindValue(1, CHistoryCodec::EncodeValues(&v, 1));
                QVERIFY(q.exec());
            }
            db.close();
        }
        QSqlDatabase::removeDatabase("v1");
        CMeasHistory h;
        QCOMPARE(h.Open(path), CMeasHistory::OpenResult::Ok);
        QCOMPARE(h.SchemaVersion(), CMeasHistory::kSchemaVersion);
        QCOMPARE(h.Summarise().count, 600);
        QCOMPARE(h.Summarise().last, kStart.toSecsSinceEpoch() + 599 * 60);
        QVector<CMeasHistory::Trace> records;
        QVERIFY(h.Traces(0, std::numeric_limits<qint32>::max(), 0, {1}, records));
        QCOMPARE(records[0].y.size(), size_t(600));
        QCOMPARE(records[0].y[599], 349.0);
        QVector<CMeasHistory::Trace> t;
        QVERIFY(h.Traces(0, std::numeric_limits<qint32>::max(), 1, {1}, t));
        QCOMPARE(t[0].y.size(), size_t(40));  // twenty half hours, lowest and highest each
        QCOMPARE(*std::max_element(t[0].y.begin(), t[0].y.end()), 349.0);
        h.Close();

        // A newer schema is refused, and the file is left as it is.
        QFile::copy(path, Db("newer.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "newer");
            db.setDatabaseName(Db("newer.sqlite"));
            QVERIFY(db.open());
            QSqlQuery(db).exec("PRAGMA user_version=99");
            db.close();
        }
        QSqlDatabase::removeDatabase("newer");
        QCOMPARE(h.Open(Db("newer.sqlite")), CMeasHistory::OpenResult::Failed);
        QVERIFY(h.LastError().contains("newer"));
        QCOMPARE(Count(Db("newer.sqlite")), -1);
    }

    // A damaged database is kept aside once, byte for byte, and a new one takes its place.
    void damagedDatabaseIsKeptAside() {
        struct Case {
            const char* name;
            std::function<void(QByteArray&)> damage;
            bool foundAtOpen;
        } cases[] = {
            {"not a database", [](QByteArray& b) { b = "Date;Time;A;\r\n2026-01-01;00:00;1;\r\n"; }, true},
            {"header overwritten", [](QByteArray& b) { b.replace(0, 16, QByteArray(16, 'x')); }, true},
            {"page in the middle", [](QByteArray& b) { b.replace(b.size() / 2, 4096, QByteArray(4096, '\x5a')); }, false},
            // The first record's values (25 and 8 at step 0) overrun: only decoding finds it.
            {"records", [](QByteArray& b) {
                 const double v[2] = {25, 8};
                 const qsizetype at = b.indexOf('\0' + CHistoryCodec::EncodeValues(v, 2));
                 if (at > 0) b.replace(at + 1, 10, QByteArray(10, '\xff'));
             }, false},
        };
        for (const Case& c : cases) {
            const QString path = Db(c.name) + QStringLiteral(".sqlite");
            {
                CMeasHistory h;
                QCOMPARE(h.Open(path), CMeasHistory::OpenResult::Ok);
                QVERIFY(h.Add(Minutes(0, 20000)).ok);
            }
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QByteArray bytes = f.readAll();
            c.damage(bytes);
            f.resize(0);
            f.write(bytes);
            f.close();

            CMeasHistory h;
            const CMeasHistory::OpenResult first = h.Open(path);
            QString asidePath;
            if (!c.foundAtOpen) {
                QCOMPARE(first, CMeasHistory::OpenResult::Ok);
                const QStringList problems = h.IntegrityProblems();
                QVERIFY2(!problems.isEmpty(), c.name);
                if (c.name == QLatin1String("records")) QVERIFY2(problems.first().contains("do not decode"), qPrintable(problems.first()));
                QVERIFY(h.KeepAside());
                asidePath = h.DamagedCopy();
                QCOMPARE(h.Open(path), CMeasHistory::OpenResult::Ok);
            } else {
                QVERIFY2(first == CMeasHistory::OpenResult::Replaced, c.name);
                asidePath = h.DamagedCopy();
            }
            QFile aside(asidePath);
            QVERIFY(aside.open(QIODevice::ReadOnly));
            QCOMPARE(aside.readAll(), bytes);
            QCOMPARE(h.Summarise().count, 0);
            QVERIFY(h.Add(Minutes(0, 10)).ok);
            h.Close();
            QCOMPARE(h.Open(path), CMeasHistory::OpenResult::Ok);  // reported once
            QCOMPARE(h.Summarise().count, 10);
        }
    }

    // korvalisctl killed in the middle of an import: the file committed before is whole,
    // the one being imported is all there or not at all, and the database is sound.
    void killedImportLosesNothingCommitted() {
        QTemporaryDir home;
        QStringList small, large;
        QDateTime t(QDate(2025, 1, 6), QTime(0, 0), Qt::UTC);
        for (int i = 0; i < 1000; ++i, t = t.addSecs(60))
            small << CMeasuredValueArray::FormatDate(t.date()) + ";" + CMeasuredValueArray::FormatTime(t.time()) + ";" + QString::number(20 + i % 7) + ";";
        for (int i = 0; i < 300000; ++i, t = t.addSecs(60))
            large << CMeasuredValueArray::FormatDate(t.date()) + ";" + CMeasuredValueArray::FormatTime(t.time()) + ";" + QString::number(20 + i % 11) + ";";
        const QString a = WriteFile(home.filePath("a.txt"), small), b = WriteFile(home.filePath("b.txt"), large);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORVALIS_HOME", home.path());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(TestPaths::Program("korvalisctl"), {"history", "import", "--serial", "4711", a, b});
        QVERIFY(p.waitForStarted());
        QByteArray out;
        while (!out.contains('\n') && p.state() == QProcess::Running) {
            p.waitForReadyRead(100);
            out += p.readAllStandardOutput();
        }
        QVERIFY2(out.contains("1000 records added"), out.constData());
        p.kill();
        p.waitForFinished();

        const QString path = home.filePath("KorvalisControl/History/4711.sqlite");
        CMeasHistory h;
        QCOMPARE(h.Open(path), CMeasHistory::OpenResult::Ok);
        QCOMPARE(h.IntegrityProblems(), QStringList());
        const qint64 n = h.Summarise().count;
        QVERIFY2(n == 1000 || n == 301000, qPrintable(QString::number(n)));
    }

    // The command-line tool: import with merging, list, export as CSV, check with gaps.
    void commandLineRoundTrip() {
        QTemporaryDir home;
        const QStringList one = {"2026-05-01;10:00;20;", "2026-05-01;10:01;21;", "2026-05-01;10:02;22;"};
        const QStringList two = {"2026-05-01;10:02;22;", "2026-05-01;10:03;23;", "2026-05-01;12:00;24;",
                                 "2026-05-01;12:01;25;"};
        const QString a = WriteFile(home.filePath("one.txt"), one), b = WriteFile(home.filePath("two.txt"), two);
        CtlResult r = RunCtl({"history", "import", "--serial", "815", a, b}, home.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("two.txt: 3 records added, 1 already there"), qPrintable(r.out));
        r = RunCtl({"history", "list"}, home.path());
        QVERIFY2(r.out.contains("815  2026-05-01 10:00 .. 2026-05-01 12:01  6 records"), qPrintable(r.out));
        r = RunCtl({"history", "export", "--serial", "815", "--from", "2026-05-01T10:02", "--to", "2026-05-01T10:03", "--csv", "-"},
                   home.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("time (UTC),Temperature 1 [\u00b0C]\r\n2026-05-01T08:02:00Z,22\r\n2026-05-01T08:03:00Z,23\r\n"));
        r = RunCtl({"history", "check"}, home.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("815: sound, 6 records, usual interval 1 min, 1 gaps"), qPrintable(r.out));
        QVERIFY2(r.out.contains("gap 2026-05-01 10:03 .. 2026-05-01 12:00"), qPrintable(r.out));
        QCOMPARE(RunCtl({"history", "import", "one.txt"}, home.path()).exitCode, 2);  // no --serial
        QCOMPARE(RunCtl({"history", "export", "--serial", "99", "x.txt"}, home.path()).exitCode, 1);
        // The download's export options, checked as the download checks them.
        r = RunCtl({"history", "export", "--serial", "815", "--decimal", "dot", "-"}, home.path());
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("--decimal takes point or comma"), qPrintable(r.err));
    }
};

int main(int argc, char** argv) {
    // Fixed daylight-saving rules whatever the machine's zone.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QCoreApplication app(argc, argv);
    CMeasHistory_test test;
    return QTest::qExec(&test, argc, argv);
}

#include "CMeasHistory_test.moc"
