// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "base/CUserInteraction.h"
#include "lang/CLanguage.h"
#include "recorder/CMeasDownload.h"
#include "recorder/CMeasDownloadUi.h"
#include "recorder/CMeasuredValueArray.h"
#include "support/TestPaths.h"

namespace {
struct ScriptedUi : CUserInteraction, CMeasDownloadUi {
    QList<int> messages;
    QMap<int, int> answers;  // message -> button
    CSaveMeasOptions options;
    bool optionsOk = true;
    QString fileName;
    qint64 progressTotal = -1;
    qint64 lastStep = 0;
    qint64 cancelAt = -1;

    int ShowMessage(int id, Icon, Buttons, const QStringList&) override {
        messages << id;
        return answers.value(id, IdOk);
    }
    int ShowText(const QString&, Icon, Buttons) override { return IdOk; }
    bool Login(uint16_t) override { return true; }
    bool AskOptions(CSaveMeasOptions& o) override {
        o = options;
        return optionsOk;
    }
    QString AskFileName() override { return fileName; }
    void ProgressBegin(int caption, qint64 total) override {
        QCOMPARE(caption, 143);
        progressTotal = total;
    }
    bool ProgressStep(qint64 done) override {
        lastStep = done;
        return done != cancelAt;
    }
};

// The controller's side of 1166/1167: record texts handed out one per read.
struct FakeRecorder {
    QList<QByteArray> records;
    int next = 0;
    int failReadAt = -1;
    int failWriteAt = -1;  // the write of 1167 after this record fails, though it moved on
    QByteArray last;
    QList<int> log;
    CMeasDownload::Access Access() {
        CMeasDownload::Access a;
        a.read = [this](int n) -> uint16_t {
            log << n;
            if (n != 1166 || next == failReadAt) return 40;
            last = next < records.size() ? records[next] : QByteArray();
            return 0;
        };
        a.write = [this](int n, double v) -> uint16_t {
            log << -n;
            if (n == 1167 && v == 0) ++next;
            return next - 1 == failWriteAt ? 40 : 0;
        };
        a.lastText = [this] { return last; };
        return a;
    }
};

QByteArray Raw(std::initializer_list<int16_t> values) {
    QByteArray b;
    for (int16_t v : values) {
        b.append(static_cast<char>(v & 0xFF));
        b.append(static_cast<char>((v >> 8) & 0xFF));
    }
    return b;
}

QList<QByteArray> Lines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QList<QByteArray> lines = f.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
}  // namespace

class CMeasDownloadTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::array<CSensor, 8> m_sensors{};

    // Inputs 0 (temperature), 1 (redox) and 3 (pH) recorded.
    CMeasDownload::State ThreeInputs(qint64 values) {
        CMeasDownload::State s;
        s.mask = 0b1011;
        s.interval = 15;
        s.storedValues = values;
        s.newestDate = QDate(2024, 5, 1);
        s.newestTime = QTime(12, 0);
        return s;
    }
    FakeRecorder TenRecords() {
        FakeRecorder rec;
        for (int i = 0; i < 10; ++i)
            rec.records << Raw({int16_t(250 + i), int16_t(-300), int16_t(-10)});
        return rec;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(CLanguage::Current().Load(TestPaths::ShareDir() +
                                          QStringLiteral("/lang/English.lang")));
        CLanguage::Current().SetLanguage(CLanguage::English);
        const int types[8] = {1, 3, 0, 2, 0, 0, 0, 0};
        for (int i = 0; i < 8; ++i) {
            m_sensors[i].index = i;
            m_sensors[i].type = types[i];
        }
        m_sensors[0].title = QStringLiteral("Temperature 1");
        m_sensors[1].title = QStringLiteral("Redox 1");
        m_sensors[3].title = QStringLiteral("pH-value 1");
    }

    void recordCountTimesAndValues() {
        qint64 records = -1;
        QVERIFY(CMeasDownload::RecordCount(30, 3, records));
        QCOMPARE(records, qint64(10));
        QVERIFY(!CMeasDownload::RecordCount(31, 3, records));
        QVERIFY(!CMeasDownload::RecordCount(12, 0, records));  // no input ticked
        QCOMPARE(CMeasDownload::FirstRecordTime(QDate(2024, 5, 1), QTime(12, 0), 10, 15),
                 QDateTime(QDate(2024, 5, 1), QTime(9, 45), Qt::UTC));
        QCOMPARE(CMeasDownload::FirstRecordTime(QDate(2024, 5, 1), QTime(0, 30), 3, 30),
                 QDateTime(QDate(2024, 4, 30), QTime(23, 30), Qt::UTC));

        QVector<int16_t> raw;
        QVERIFY(CMeasDownload::DecodeRecord(QByteArray("\xF6\xFF", 2), 1, raw));
        QCOMPARE(raw, QVector<int16_t>{-10});
        QVERIFY(!CMeasDownload::DecodeRecord(QByteArray("\xF6\xFF\x01", 3), 1, raw));
        CSaveMeasOptions point, comma;
        point.decimalSeparator = 0;
        QCOMPARE(CMeasDownload::ValueText(m_sensors[3], -10, point), QStringLiteral("-0.1"));
        QCOMPARE(CMeasDownload::ValueText(m_sensors[3], -10, comma), QStringLiteral("-0,1"));
        QCOMPARE(CMeasDownload::ValueText(m_sensors[0], 253, comma), QStringLiteral("25,3"));
        // A Fahrenheit input is exported in its own display mode.
        CSensor f = m_sensors[0];
        f.displayMode = 1;
        QCOMPARE(CMeasDownload::ValueText(f, 250, point), QStringLiteral("77"));
        QCOMPARE(CMeasDownloadUi::ScaledProgress(70000, 100000), 7000);
        QCOMPARE(CMeasDownloadUi::ScaledProgress(5, 0), CMeasDownloadUi::kProgressScale);
    }

    void headers() {
        CSaveMeasOptions o;  // tab, comma, units
        QCOMPARE(CMeasDownload::BuildHeader(m_sensors, 0b1001, o),
                 QStringLiteral("Date\tTime\tTemperature 1[\u00B0C]\tpH-value 1[pH]\t"));
        o.fieldSeparator = 0;
        o.unitsInHeader = false;
        QCOMPARE(CMeasDownload::BuildHeader(m_sensors, 0b1011, o),
                 QStringLiteral("Date;Time;Temperature 1;Redox 1;pH-value 1;"));
        // What is written reads back with the same columns.
        o.unitsInHeader = true;
        CMeasuredValueArray a;
        QVERIFY(a.ParseHeader(CMeasDownload::BuildHeader(m_sensors, 0b1011, o)));
        QCOMPARE(a.ValueColumnCount(), 3);
        QCOMPARE(a.ColumnUnit(1), QStringLiteral("mV"));
    }

    void downloadsAppendsAndRefuses() {
        const QString path = m_dir.filePath(QStringLiteral("rec.txt"));
        ScriptedUi ui;
        ui.fileName = path;
        FakeRecorder rec = TenRecords();
        CMeasDownload dl(m_sensors, rec.Access(), &ui, &ui);
        ui.answers[113] = CUserInteraction::IdYes;
        CMeasDownload::Result r = dl.Run(ThreeInputs(30));
        QCOMPARE(r.outcome, CMeasDownload::Outcome::Written);
        QCOMPARE(r.records, qint64(10));
        QVERIFY(r.showViewer);
        QCOMPARE(ui.messages, QList<int>{113});
        QCOMPARE(ui.progressTotal, qint64(30));
        QCOMPARE(ui.lastStep, qint64(30));
        QCOMPARE(rec.log.mid(0, 4), (QList<int>{1166, -1167, 1166, -1167}));
        QList<QByteArray> lines = Lines(path);
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines[0], QByteArray("Date\tTime\tTemperature 1[\xB0"
                                      "C]\tRedox 1[mV]\tpH-value 1[pH]\t\r"));
        QCOMPARE(lines[1], QByteArray("2024-05-01\t09:45\t25\t-300\t-0,1\t\r"));
        QCOMPARE(lines[10], QByteArray("2024-05-01\t12:00\t25,9\t-300\t-0,1\t\r"));

        // The viewer reads what was written.
        CMeasuredValueArray a;
        QCOMPARE(a.LoadFile(path), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(a.GetCount(), 10);
        QCOMPARE(a[9].values[0], 25.9);
        QCOMPARE(a[0].values[2], -0.1);

        // Yes to 116 with the same header appends without a second header.
        ui.messages.clear();
        ui.answers[116] = CUserInteraction::IdYes;
        FakeRecorder more = TenRecords();
        CMeasDownload dl2(m_sensors, more.Access(), &ui, &ui);
        r = dl2.Run(ThreeInputs(30));
        QCOMPARE(r.outcome, CMeasDownload::Outcome::Written);
        QCOMPARE(ui.messages, (QList<int>{116, 113}));
        lines = Lines(path);
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines.count(lines[0]), 1);

        // Other options make another header: appending is refused, the file stays.
        ui.messages.clear();
        ui.options.decimalSeparator = 0;
        ui.options.unitsInHeader = false;
        FakeRecorder third = TenRecords();
        CMeasDownload dl3(m_sensors, third.Access(), &ui, &ui);
        r = dl3.Run(ThreeInputs(30));
        QCOMPARE(r.outcome, CMeasDownload::Outcome::Failed);
        QCOMPARE(ui.messages, (QList<int>{116, 117}));
        QCOMPARE(Lines(path).size(), 21);
        QVERIFY(third.log.isEmpty());  // nothing read from the controller

        // Cancel leaves it too; No replaces it.
        ui.answers[116] = CUserInteraction::IdCancel;
        QCOMPARE(dl3.Run(ThreeInputs(30)).outcome, CMeasDownload::Outcome::Cancelled);
        QCOMPARE(Lines(path).size(), 21);
        ui.answers[116] = CUserInteraction::IdNo;
        QCOMPARE(dl3.Run(ThreeInputs(30)).outcome, CMeasDownload::Outcome::Written);
        lines = Lines(path);
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines[0], QByteArray("Date\tTime\tTemperature 1\tRedox 1\tpH-value 1\t\r"));
        QCOMPARE(lines[1], QByteArray("2024-05-01\t09:45\t25\t-300\t-0.1\t\r"));
    }

    void valuesThatDoNotFitStopBeforeAnyFile() {
        const QString path = m_dir.filePath(QStringLiteral("never.txt"));
        ScriptedUi ui;
        ui.fileName = path;
        FakeRecorder rec = TenRecords();
        CMeasDownload dl(m_sensors, rec.Access(), &ui, &ui);
        QCOMPARE(dl.Run(ThreeInputs(31)).outcome, CMeasDownload::Outcome::Failed);
        CMeasDownload::State none = ThreeInputs(30);
        none.mask = 0;  // values stored, no input ticked: no division by zero
        QCOMPARE(dl.Run(none).outcome, CMeasDownload::Outcome::Failed);
        QCOMPARE(ui.messages, (QList<int>{141, 141}));
        QVERIFY(!QFile::exists(path));
        QVERIFY(rec.log.isEmpty());
    }

    void readFailuresKeepTheLinesSoFar() {
        ScriptedUi ui;
        ui.fileName = m_dir.filePath(QStringLiteral("partial.txt"));
        FakeRecorder rec = TenRecords();
        rec.failReadAt = 3;
        CMeasDownload dl(m_sensors, rec.Access(), &ui, &ui);
        CMeasDownload::Result r = dl.Run(ThreeInputs(30));
        QCOMPARE(r.outcome, CMeasDownload::Outcome::Failed);
        QCOMPARE(r.records, qint64(3));
        QCOMPARE(ui.messages, (QList<int>{142, 6203}));
        QCOMPARE(Lines(ui.fileName).size(), 4);
        QVERIFY(!QFile::exists(CMeasDownload::SideFilePath(ui.fileName)));

        // The record whose acknowledgement got lost is kept: the controller has moved on.
        ui.messages.clear();
        ui.fileName = m_dir.filePath(QStringLiteral("unacknowledged.txt"));
        FakeRecorder lost = TenRecords();
        lost.failWriteAt = 4;
        CMeasDownload dl4(m_sensors, lost.Access(), &ui, &ui);
        QCOMPARE(dl4.Run(ThreeInputs(30)).records, qint64(5));
        QCOMPARE(Lines(ui.fileName).size(), 6);

        // A record of the wrong length.
        ui.messages.clear();
        ui.fileName = m_dir.filePath(QStringLiteral("short.txt"));
        FakeRecorder shortRec = TenRecords();
        shortRec.records[5].chop(1);
        CMeasDownload dl2(m_sensors, shortRec.Access(), &ui, &ui);
        QCOMPARE(dl2.Run(ThreeInputs(30)).outcome, CMeasDownload::Outcome::Failed);
        QCOMPARE(ui.messages, (QList<int>{142, 6203}));
        QCOMPARE(Lines(ui.fileName).size(), 6);
        QCOMPARE(shortRec.next, 5);  // the record of the wrong length stays in the controller

        // Cancelled in the progress window: the records read so far are saved, and the user
        // is told how many (they are no longer in the controller).
        ui.messages.clear();
        ui.fileName = m_dir.filePath(QStringLiteral("cancelled.txt"));
        ui.cancelAt = 7;  // within the third record
        FakeRecorder third = TenRecords();
        CMeasDownload dl3(m_sensors, third.Access(), &ui, &ui);
        const CMeasDownload::Result cancelled = dl3.Run(ThreeInputs(30));
        QCOMPARE(cancelled.outcome, CMeasDownload::Outcome::Cancelled);
        QCOMPARE(cancelled.records, qint64(3));
        QCOMPARE(ui.messages, QList<int>{56000});
        QCOMPARE(Lines(ui.fileName).size(), 4);
    }

    void fileErrors() {
        // A folder in place of the file's parent: cannot be created.
        QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ScriptedUi ui;
        ui.fileName = blocker.fileName() + QStringLiteral("/rec.txt");
        FakeRecorder rec = TenRecords();
        CMeasDownload dl(m_sensors, rec.Access(), &ui, &ui);
        QCOMPARE(dl.Run(ThreeInputs(30)).outcome, CMeasDownload::Outcome::Failed);
        QCOMPARE(ui.messages, QList<int>{140});
        QVERIFY(rec.log.isEmpty());

        // Options dialog or save dialog cancelled: nothing happens.
        ui.messages.clear();
        ui.optionsOk = false;
        QCOMPARE(dl.Run(ThreeInputs(30)).outcome, CMeasDownload::Outcome::Cancelled);
        ui.optionsOk = true;
        ui.fileName.clear();
        QCOMPARE(dl.Run(ThreeInputs(30)).outcome, CMeasDownload::Outcome::Cancelled);
        QVERIFY(ui.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CMeasDownloadTest)
#include "CMeasDownload_test.moc"
