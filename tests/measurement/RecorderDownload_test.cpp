// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder end to end: the device model records at its interval, the download reads it
// through the real engine into a file, and the viewer opens that file.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/CKorvalisControlApp.h"
#include "chart/CChartGroup.h"
#include "chart/CTimeChartView.h"
#include "device/CControllerDefaults.h"
#include "device/CDeviceModel.h"
#include "device/CLiveController.h"
#include "device/CMemoryChannel.h"
#include "device/behaviours/CRecorderBehaviour.h"
#include "lang/CLanguage.h"
#include "pages/measurement/CMeasDataDialog.h"
#include "recorder/CMeasDownload.h"
#include "recorder/CMeasDownloadUi.h"
#include "recorder/CMeasHistory.h"
#include "recorder/CMeasuredValueArray.h"
#include "support/CScriptedUserInteraction.h"
#include "support/TestPaths.h"

namespace {
constexpr int64_t kMinute = 60 * 1000;

struct Dialogs : CMeasDownloadUi {
    CSaveMeasOptions options;
    QString fileName;
    bool AskOptions(CSaveMeasOptions& o) override {
        o = options;
        return true;
    }
    QString AskFileName() override { return fileName; }
};

struct Rig {
    explicit Rig(int capacity = 32000) : model(Options()) {
        CControllerDefaults::Apply(model.Controller());
        CLiveController::Settings s;
        s.manualClock = true;
        s.seed = 7;
        live = std::make_unique<CLiveController>(model, s);
        auto rec = std::make_unique<CRecorderBehaviour>(live->Clock(), s.seed, capacity);
        recorder = rec.get();
        live->Add(std::move(rec));
        // 1 May 2024, 09:30
        live->Clock().SetWallMs(QDate(2000, 1, 1).daysTo(QDate(2024, 5, 1)) *
                                    CDeviceClock::kMsPerDay +
                                (9 * 60 + 30) * kMinute);
        app.SetUserInteraction(&ui);
        app.SetFramePause(0);
        app.SetChannelFactory(
            [this](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        connection.replyTimeout = 20;
        if (!app.Connect(&connection, false)) qFatal("no connection to the device model");
    }
    static CDeviceModel::Options Options() {
        CDeviceModel::Options o;
        o.sensors = {1, 3, 0, 2, 0, 0, 0, 0};  // temperature, redox, -, pH
        return o;
    }
    int64_t Read(int number) {
        return app.ReadParameter(number) == 0 ? static_cast<int64_t>(app.GetLastSignedValue()) : -1;
    }
    uint16_t Write(int number, double value) { return app.WriteParameter(number, value); }
    CMeasDownload::State State() {
        CMeasDownload::State s;
        s.interval = static_cast<int>(Read(780));
        s.mask = static_cast<uint8_t>(Read(781));
        s.storedValues = Read(1160);
        s.newestTime = QTime(0, 0).addSecs(Read(1163) * 60);
        s.newestDate = QDate(2000, 1, 1).addDays(Read(1164));
        return s;
    }

    CDeviceModel model;
    std::unique_ptr<CLiveController> live;
    CRecorderBehaviour* recorder = nullptr;
    CScriptedUserInteraction ui;
    CKorvalisControlApp app;
    CConnection connection;
};
}  // namespace

class RecorderDownloadTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(CLanguage::Current().Load(TestPaths::ShareDir() +
                                          QStringLiteral("/lang/English.lang")));
        CLanguage::Current().SetLanguage(CLanguage::English);
    }

    void recordsDownloadsAndOpensInTheViewer() {
        Rig rig;
        QCOMPARE(rig.Write(780, 15), uint16_t(0));
        QCOMPARE(rig.Write(781, 0b1011), uint16_t(0));
        // Ten intervals; the live values at each moment are what the recorder stores.
        QList<QList<int64_t>> live;
        for (int k = 0; k < 10; ++k) {
            rig.live->Clock().Advance(15 * kMinute);
            live << QList<int64_t>{rig.Read(1000), rig.Read(1004), rig.Read(1012)};
        }
        QCOMPARE(rig.Read(1160), 30);
        QCOMPARE(rig.Read(1165), 30);
        QCOMPARE(rig.Read(1162), 32000);
        QCOMPARE(rig.Read(1163), 12 * 60);
        QCOMPARE(rig.Read(1164), QDate(2000, 1, 1).daysTo(QDate(2024, 5, 1)));

        Dialogs dialogs;
        dialogs.fileName = m_dir.filePath(QStringLiteral("week.txt"));
        dialogs.options.decimalSeparator = 0;
        const CMeasDownload::State state = rig.State();
        rig.model.ClearLog();
        CMeasDownload download(rig.app.Sensors(), CMeasDownload::AccessOf(rig.app), &rig.ui, &dialogs);
        const CMeasDownload::Result result = download.Run(state, QString(), false);
        QCOMPARE(result.outcome, CMeasDownload::Outcome::Written);
        QCOMPARE(result.records, qint64(10));
        QVERIFY(rig.ui.MessageIds().isEmpty());
        // One read of 1166 and one write of 1167 = 0 per record, nothing else.
        QCOMPARE(rig.model.Log().size(), 20);
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(rig.model.Log()[i].number, i % 2 == 0 ? 1166 : 1167);
            QCOMPARE(rig.model.Log()[i].kind,
                     i % 2 == 0 ? CDeviceModel::Access::Read : CDeviceModel::Access::Write);
        }

        CMeasuredValueArray array;
        QCOMPARE(array.LoadFile(dialogs.fileName), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(array.GetCount(), 10);
        QCOMPARE(array.ValueColumnCount(), 3);
        QCOMPARE(array.ColumnName(0), rig.app.Sensors()[0].title);
        QCOMPARE(array.ColumnUnit(2), QStringLiteral("pH"));
        QCOMPARE(array[0].timeStamp, QDateTime(QDate(2024, 5, 1), QTime(9, 45), Qt::UTC));
        QCOMPARE(array[9].timeStamp, QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC));
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(array[k].values[0], live[k][0] / 10.0);
            QCOMPARE(array[k].values[1], double(live[k][1]));
            QCOMPARE(array[k].values[2], live[k][2] / 100.0);
        }

        // Every record read goes to the history too, and the file written beside it holds
        // the same records: importing it adds nothing.
        QCOMPARE(result.history.Count(), 10);
        CMeasHistory history;
        QCOMPARE(history.Open(m_dir.filePath(QStringLiteral("history.sqlite"))), CMeasHistory::OpenResult::Ok);
        QCOMPARE(history.Add(result.history).added, 10);
        const CMeasHistory::AddResult again = history.Add(CHistoryBatch::FromFile(array, QStringLiteral("week.txt")));
        QCOMPARE(again.known, 10);
        QCOMPARE(again.added, 0);
        QCOMPARE(history.Columns().value(2).kind, 2);

        CMeasDataDialog viewer(nullptr, array);
        QCOMPARE(viewer.Charts().size(), 3);
        for (const CTimeChartView* chart : viewer.Charts())
            QCOMPARE(chart->Series().Size(), qsizetype(10));
    }

    void clearingLimitsAndAMaskThatNoLongerFits() {
        Rig rig;
        rig.Write(780, 30);
        rig.Write(781, 0b0011);
        rig.live->Clock().Advance(90 * kMinute);
        QCOMPARE(rig.Read(1160), 6);
        QVERIFY(rig.Write(780, 0) != 0);
        QVERIFY(rig.Write(780, 721) != 0);
        QVERIFY(rig.Write(782, 7) != 0);
        QCOMPARE(rig.Write(782, 600), uint16_t(0));
        QVERIFY(rig.Write(1160, 5) != 0);

        // Four inputs ticked after recording with two: the values no longer divide.
        rig.Write(781, 0b1111);
        Dialogs dialogs;
        dialogs.fileName = m_dir.filePath(QStringLiteral("never.txt"));
        CMeasDownload download(rig.app.Sensors(), CMeasDownload::AccessOf(rig.app), &rig.ui, &dialogs);
        QCOMPARE(download.Run(rig.State(), QString(), false).outcome,
                 CMeasDownload::Outcome::Failed);
        QCOMPARE(rig.ui.MessageIds(), QList<int>{141});
        QVERIFY(!QFile::exists(dialogs.fileName));

        QCOMPARE(rig.Write(1160, 0), uint16_t(0));
        QCOMPARE(rig.Read(1160), 0);
    }

    void fullMemoryKeepsTheNewestAndTimeRunsScaled() {
        Rig rig(30);  // ten records of three inputs
        rig.Write(780, 1);
        rig.Write(781, 0b1011);
        rig.live->Clock().SetTimeScale(60.0);  // a real second is a device minute
        rig.live->Clock().Advance(25 * 1000);
        QCOMPARE(rig.Read(1160), 30);
        QCOMPARE(rig.Read(1163), 9 * 60 + 55);

        Dialogs dialogs;
        dialogs.fileName = m_dir.filePath(QStringLiteral("full.txt"));
        CMeasDownload download(rig.app.Sensors(), CMeasDownload::AccessOf(rig.app), &rig.ui, &dialogs);
        QCOMPARE(download.Run(rig.State(), QString(), false).outcome,
                 CMeasDownload::Outcome::Written);
        CMeasuredValueArray array;
        QCOMPARE(array.LoadFile(dialogs.fileName), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(array.GetCount(), 10);
        QCOMPARE(array[0].timeStamp.time(), QTime(9, 46));
    }

    void aWeekOfHistory() {
        Rig rig;
        rig.Write(780, 15);
        rig.Write(781, 0b1001);
        rig.recorder->Fill(rig.model.Controller(), 7 * 24 * 4);
        QCOMPARE(rig.Read(1160), 7 * 24 * 4 * 2);
        QCOMPARE(rig.Read(1163), 9 * 60 + 30);
        Dialogs dialogs;
        dialogs.fileName = m_dir.filePath(QStringLiteral("fill.txt"));
        CMeasDownload download(rig.app.Sensors(), CMeasDownload::AccessOf(rig.app), &rig.ui, &dialogs);
        QCOMPARE(download.Run(rig.State(), QString(), false).records, qint64(7 * 24 * 4));
        CMeasuredValueArray array;
        QCOMPARE(array.LoadFile(dialogs.fileName), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(array[0].timeStamp, QDateTime(QDate(2024, 4, 24), QTime(9, 45), Qt::UTC));
    }

    // A week of five-minute records of three inputs in the viewer. With
    // KORVALIS_SCREENSHOT_DIR set, the window is saved there as recorder-week.png.
    void viewerShowsAWeek() {
        Rig rig;
        rig.Write(780, 5);
        rig.Write(781, 0b1011);
        rig.recorder->Fill(rig.model.Controller(), 7 * 24 * 12);
        Dialogs dialogs;
        dialogs.fileName = m_dir.filePath(QStringLiteral("shot.txt"));
        CMeasDownload download(rig.app.Sensors(), CMeasDownload::AccessOf(rig.app), &rig.ui, &dialogs);
        QCOMPARE(download.Run(rig.State(), QString(), false).records, qint64(7 * 24 * 12));
        CMeasuredValueArray array;
        QCOMPARE(array.LoadFile(dialogs.fileName), CMeasuredValueArray::LoadResult::Ok);
        CMeasDataDialog viewer(nullptr, array);
        viewer.resize(1200, 800);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QApplication::processEvents();
        const CTimeChartView* first = viewer.Charts().first();
        QVERIFY(first->DrawnPoints().size() <= 4 * first->PixelColumns() + 2);
        viewer.Group()->SetCursor(viewer.Group()->FullFrom() + 3.4 * 86400000.0);
        const QString dir = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (!dir.isEmpty()) QVERIFY(viewer.grab().save(dir + QStringLiteral("/recorder-week.png")));
    }
};

QTEST_MAIN(RecorderDownloadTest)
#include "RecorderDownload_test.moc"
