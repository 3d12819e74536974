// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder page against the device model with its recorder: reads and writes in order,
// the recorded inputs, the live fill state, protection of stored values, clearing, the
// download through the page's button into a file and the viewer.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "support/ControlInput.h"
#include "device/CLiveController.h"
#include "device/behaviours/CRecorderBehaviour.h"
#include "lang/CLanguage.h"
#include "pages/measurement/CMeasDataDialog.h"
#include "pages/measurement/CPropertyPageMeasurement.h"
#include "pages/measurement/CSaveMeasOptionsDlg.h"
#include "recorder/CMeasuredValueArray.h"
#include "support/CSheetRig.h"
#include "ui/page/CEditSpin.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
using Page = CPropertyPageMeasurement;
constexpr int64_t kMinute = 60 * 1000;

CDeviceModel::Options Options() {
    CDeviceModel::Options o;
    o.sensors = {1, 3, 0, 2, 0, 0, 0, 0};  // temperature, redox, none, pH
    return o;
}

// A connected sheet over a controller whose recorder runs on a manual clock, set to
// 1 May 2024, 12:00.
struct Rig {
    explicit Rig(int language = CLanguage::English) : sheet(Options(), language) {
        CLiveController::Settings s;
        s.manualClock = true;
        s.seed = 7;
        live = std::make_unique<CLiveController>(sheet.model, s);
        auto rec = std::make_unique<CRecorderBehaviour>(live->Clock(), s.seed, 32000);
        recorder = rec.get();
        live->Add(std::move(rec));
        live->Clock().SetWallMs(QDate(2000, 1, 1).daysTo(QDate(2024, 5, 1)) *
                                    CDeviceClock::kMsPerDay +
                                12 * 60 * kMinute);
        Device().SetValue(780, 15);
        Device().SetValue(781, 0b1011);
        Device().SetValue(782, 100);
    }
    CBusDevice& Device() { return sheet.model.Controller(); }
    // Records ending now, with the interval and mask the controller has.
    void Fill(int records) { recorder->Fill(Device(), records); }
    Page* Open() {
        if (!sheet.Connect()) return nullptr;
        return sheet.Activate<Page>();
    }

    CSheetRig sheet;
    std::unique_ptr<CLiveController> live;
    CRecorderBehaviour* recorder = nullptr;
};

template <class T>
T* Child(QWidget* page, int id) {
    return page->findChild<T*>(QString::number(id));
}

QString SpinText(Page* page, int id) {
    return Child<CEditSpin>(page, id)->text();
}

QTreeWidgetItem* Row(Page* page, int row) {
    return Child<QTreeWidget>(page, Page::IdInputs)->topLevelItem(row);
}

// Answers the modal dialogs the page opens: the export options and the viewer.
class ModalAnswerer : public QObject {
public:
    std::function<void(CSaveMeasOptionsDlg&)> onOptions;  // empty: OK as it opens
    int optionsShown = 0;
    int viewersShown = 0;
    int viewerCharts = -1;

    ModalAnswerer() {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::Poll);
        m_timer.start();
    }

private:
    void Poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<CSaveMeasOptionsDlg*>(w); d && d->isVisible()) {
            ++optionsShown;
            if (onOptions)
                onOptions(*d);
            else
                d->OkButton()->click();
        } else if (auto* v = qobject_cast<CMeasDataDialog*>(w); v && v->isVisible()) {
            ++viewersShown;
            viewerCharts = static_cast<int>(v->Charts().size());
            v->reject();
        }
    }
    QTimer m_timer;
};

QStringList ReadLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
}  // namespace

class CPropertyPageMeasurementTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    // A download adds to the history in the data folder: the test's own, never the user's
    // (other test runs would share the database).
    void initTestCase() { qputenv("KORVALIS_HOME", m_dir.path().toLocal8Bit()); }

    void readsListsInputsAndWritesInOrder() {
        Rig rig;
        rig.Device().SetValue(781, 0b1111);  // input 2 has no sensor
        QVERIFY(rig.sheet.Connect());
        rig.sheet.model.ClearLog();
        Page* page = rig.sheet.Activate<Page>();
        QVERIFY(page);
        QCOMPARE(rig.sheet.ReadNumbers(), (QList<int>{780, 781, 782}));
        QCOMPARE(page->PageHelpTopic(), uint16_t(115));
        QCOMPARE(SpinText(page, Page::IdInterval), QStringLiteral("15"));
        QCOMPARE(SpinText(page, Page::IdSetting), QStringLiteral("100"));
        QCOMPARE(page->RecordedMask(), uint8_t(0b1111));

        // One row per input with a sensor, its title and its mask bit; all ticked.
        auto* list = Child<QTreeWidget>(page, Page::IdInputs);
        QCOMPARE(list->headerItem()->text(0), Tr(365));
        QCOMPARE(list->columnWidth(0), 200);
        QCOMPARE(list->topLevelItemCount(), 3);
        const int inputs[3] = {0, 1, 3};
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(Row(page, r)->text(0), rig.sheet.app.Sensors()[inputs[r]].title);
            QCOMPARE(Row(page, r)->data(0, Qt::UserRole).toUInt(), 1u << inputs[r]);
            QCOMPARE(Row(page, r)->checkState(0), Qt::Checked);
        }
        QVERIFY(!page->IsModified());

        // Limits when a field is left; nothing is stored, so nothing is asked.
        rig.sheet.model.ClearLog();
        TypeAndLeave(page, Page::IdInterval, QStringLiteral("0"));
        QCOMPARE(SpinText(page, Page::IdInterval), QStringLiteral("1"));
        TypeAndLeave(page, Page::IdInterval, QStringLiteral("721"));
        QCOMPARE(SpinText(page, Page::IdInterval), QStringLiteral("720"));
        TypeAndLeave(page, Page::IdSetting, QStringLiteral("7"));
        QCOMPARE(SpinText(page, Page::IdSetting), QStringLiteral("8"));
        TypeAndLeave(page, Page::IdSetting, QStringLiteral("601"));
        QCOMPARE(SpinText(page, Page::IdSetting), QStringLiteral("600"));
        Row(page, 1)->setCheckState(0, Qt::Unchecked);
        QVERIFY(page->IsModified());
        QVERIFY(rig.sheet.ui.shown.isEmpty());

        // 780, then 782, then 781 from the ticked rows only (the bit of input 2 goes).
        rig.sheet.Send();
        QCOMPARE(rig.sheet.model.Writes(), (Writes{{780, 720}, {782, 600}, {781, 0b1001}}));
        QVERIFY(!page->IsModified());
        QCOMPARE(page->RecordedMask(), uint8_t(0b1001));

        // Only what changed goes out.
        rig.sheet.model.ClearLog();
        Row(page, 1)->setCheckState(0, Qt::Checked);
        rig.sheet.Send();
        QCOMPARE(rig.sheet.model.Writes(), (Writes{{781, 0b1011}}));
    }

    void fillStateOnTheTickAndClearing() {
        Rig rig;
        rig.Fill(10);
        Page* page = rig.Open();
        QVERIFY(page);
        auto* time = Child<QTimeEdit>(page, Page::IdNewestTime);
        auto* date = Child<QDateEdit>(page, Page::IdNewestDate);
        auto* download = Child<QPushButton>(page, Page::IdDownload);
        auto* clear = Child<QPushButton>(page, Page::IdClear);
        auto* bar = Child<QProgressBar>(page, Page::IdMemoryBar);
        // Nothing known before the first tick.
        QVERIFY(time->isHidden() && date->isHidden());
        QVERIFY(!download->isEnabled() && !clear->isEnabled());

        rig.sheet.model.ClearLog();
        page->RefreshTick();
        QCOMPARE(rig.sheet.ReadNumbers(), (QList<int>{1160, 1165, 1162, 1163, 1164}));
        QCOMPARE(Child<QLabel>(page, Page::IdStoredText)->text(), QStringLiteral("30"));
        QCOMPARE(Child<QLabel>(page, Page::IdUsedText)->text(), QStringLiteral("30 / 32000"));
        QCOMPARE(bar->maximum(), 32000);
        QCOMPARE(bar->value(), 30);
        QVERIFY(!time->isHidden() && !date->isHidden());
        QCOMPARE(time->time(), QTime(12, 0));
        QCOMPARE(date->date(), QDate(2024, 5, 1));
        QVERIFY(download->isEnabled() && clear->isEnabled());
        QVERIFY(rig.sheet.ui.shown.isEmpty());

        // The next interval shows on the next tick.
        rig.live->Clock().Advance(15 * kMinute);
        page->RefreshTick();
        QCOMPARE(Child<QLabel>(page, Page::IdStoredText)->text(), QStringLiteral("33"));
        QCOMPARE(time->time(), QTime(12, 15));

        // Clearing asks 137; No writes nothing, Yes writes 1160 = 0.
        rig.sheet.model.ClearLog();
        rig.sheet.ui.QueueAnswer(CUserInteraction::IdNo);
        clear->click();
        QVERIFY(rig.sheet.model.Writes().isEmpty());
        rig.sheet.ui.QueueAnswer(CUserInteraction::IdYes);
        clear->click();
        QCOMPARE(rig.sheet.ui.MessageIds(), (QList<int>{137, 137}));
        QCOMPARE(rig.sheet.ui.shown[0].icon, CUserInteraction::Icon::Warning);
        QCOMPARE(rig.sheet.model.Writes(), (Writes{{1160, 0}}));

        rig.sheet.model.ClearLog();
        page->RefreshTick();
        QCOMPARE(rig.sheet.ReadNumbers(), (QList<int>{1160, 1165, 1162}));
        QCOMPARE(Child<QLabel>(page, Page::IdStoredText)->text(), QStringLiteral("0"));
        QCOMPARE(Child<QLabel>(page, Page::IdUsedText)->text(), QStringLiteral("0 / 32000"));
        QVERIFY(time->isHidden() && date->isHidden());
        QVERIFY(!download->isEnabled() && !clear->isEnabled());
    }

    void storedValuesAreProtected() {
        Rig rig;
        rig.Fill(4);
        Page* page = rig.Open();
        QVERIFY(page);
        page->RefreshTick();
        QCOMPARE(page->StoredValues(), qint64(12));

        // No: the edit returns to its value and the page stays unmodified.
        rig.sheet.ui.SetDefaultAnswer(CUserInteraction::IdNo);
        TypeAndLeave(page, Page::IdInterval, QStringLiteral("5"));
        QCOMPARE(SpinText(page, Page::IdInterval), QStringLiteral("15"));
        TypeAndLeave(page, Page::IdSetting, QStringLiteral("9"));
        QCOMPARE(SpinText(page, Page::IdSetting), QStringLiteral("100"));
        Row(page, 0)->setCheckState(0, Qt::Unchecked);
        QCOMPARE(Row(page, 0)->checkState(0), Qt::Checked);
        QVERIFY(!page->IsModified());
        QCOMPARE(rig.sheet.ui.MessageIds(), (QList<int>{185, 185, 185}));
        QCOMPARE(rig.sheet.ui.shown[0].icon, CUserInteraction::Icon::Warning);
        QCOMPARE(rig.sheet.ui.shown[0].buttons, CUserInteraction::Buttons::YesNo);

        // Yes once; further changes ask nothing until the page is sent.
        rig.sheet.ui.shown.clear();
        rig.sheet.ui.QueueAnswer(CUserInteraction::IdYes);
        Row(page, 0)->setCheckState(0, Qt::Unchecked);
        TypeAndLeave(page, Page::IdInterval, QStringLiteral("30"));
        QCOMPARE(rig.sheet.ui.MessageIds(), QList<int>{185});
        QVERIFY(page->IsModified());
        rig.sheet.model.ClearLog();
        rig.sheet.Send();
        QCOMPARE(rig.sheet.model.Writes(), (Writes{{780, 30}, {781, 0b1010}}));
    }

    void downloadThroughTheButtonIntoAFile() {
        Rig rig;
        rig.Fill(10);
        Page* page = rig.Open();
        QVERIFY(page);
        page->RefreshTick();
        // An interval typed but never sent: the records were made every 15 minutes.
        rig.sheet.ui.QueueAnswer(CUserInteraction::IdYes);
        TypeAndLeave(page, Page::IdInterval, QStringLiteral("30"));
        QVERIFY(page->IsModified());

        const QString path = m_dir.filePath(QStringLiteral("page.txt"));
        rig.sheet.ui.QueueFileName(path);
        rig.sheet.ui.shown.clear();
        rig.sheet.ui.QueueAnswer(CUserInteraction::IdYes);  // 113: show them
        ModalAnswerer answerer;
        answerer.onOptions = [](CSaveMeasOptionsDlg& d) {
            // Every option starts at 1.
            QCOMPARE(d.DecimalGroup()->checkedId(), 1);
            QCOMPARE(d.FieldGroup()->checkedId(), 1);
            QVERIFY(d.UnitsBox()->isChecked());
            d.DecimalGroup()->button(0)->click();
            d.FieldGroup()->button(0)->click();
            d.OkButton()->click();
        };
        rig.sheet.model.ClearLog();
        Child<QPushButton>(page, Page::IdDownload)->click();

        QCOMPARE(answerer.optionsShown, 1);
        QCOMPARE(rig.sheet.ui.fileDialogTitles, QStringList{Tr(20715)});
        QCOMPARE(rig.sheet.ui.MessageIds(), QList<int>{113});
        QCOMPARE(answerer.viewersShown, 1);
        QCOMPARE(answerer.viewerCharts, 3);
        // One read of 1166 and one write of 1167 = 0 per record, nothing else.
        const auto& log = rig.sheet.model.Log();
        QCOMPARE(log.size(), 20);
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(log[i].number, i % 2 == 0 ? 1166 : 1167);
            QCOMPARE(log[i].kind,
                     i % 2 == 0 ? CDeviceModel::Access::Read : CDeviceModel::Access::Write);
        }
        QVERIFY(!rig.sheet.app.IsTransferInProgress());

        const QStringList lines = ReadLines(path);
        QCOMPARE(lines.size(), 11);
        const auto& s = rig.sheet.app.Sensors();
        QCOMPARE(lines[0], Tr(139) + u';' + Tr(138) + u';' + s[0].title + QStringLiteral("[°C];") +
                               s[1].title + QStringLiteral("[mV];") + s[3].title +
                               QStringLiteral("[pH];"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("2024-05-01;09:45;")), qPrintable(lines[1]));
        QVERIFY(lines[10].startsWith(QStringLiteral("2024-05-01;12:00;")));
        CMeasuredValueArray array;
        QCOMPARE(array.LoadFile(path), CMeasuredValueArray::LoadResult::Ok);
        QCOMPARE(array.GetCount(), 10);
        QVERIFY(!lines[1].contains(u','));  // point decimals
    }

    void emptyMaskWithStoredValuesGives141() {
        Rig rig;
        rig.Fill(10);
        rig.Device().SetValue(781, 0);  // no input recorded any more, values still stored
        Page* page = rig.Open();
        QVERIFY(page);
        page->RefreshTick();
        QCOMPARE(page->StoredValues(), qint64(30));
        QVERIFY(Child<QPushButton>(page, Page::IdDownload)->isEnabled());
        rig.sheet.model.ClearLog();
        ModalAnswerer answerer;
        Child<QPushButton>(page, Page::IdDownload)->click();
        QCOMPARE(answerer.optionsShown, 1);
        QCOMPARE(rig.sheet.ui.MessageIds(), QList<int>{141});
        QVERIFY(rig.sheet.ui.fileDialogTitles.isEmpty());
        QVERIFY(rig.sheet.model.Log().isEmpty());
    }

    void cancelledOptionsAndARefusedStep() {
        Rig rig;
        rig.Fill(3);
        Page* page = rig.Open();
        QVERIFY(page);
        page->RefreshTick();
        ModalAnswerer answerer;
        answerer.onOptions = [](CSaveMeasOptionsDlg& d) { d.reject(); };
        rig.sheet.model.ClearLog();
        Child<QPushButton>(page, Page::IdDownload)->click();
        QCOMPARE(answerer.optionsShown, 1);
        QVERIFY(rig.sheet.ui.shown.isEmpty());
        QVERIFY(rig.sheet.ui.fileDialogTitles.isEmpty());
        QVERIFY(rig.sheet.model.Log().isEmpty());

        // The controller refuses to move on: 354 as for every failed access, the General
        // page, then 142 and how many records were saved (none: the refused record stays in
        // the controller); the header stays in the file.
        answerer.onOptions = {};
        CDeviceModel::Faults f;
        f.refuse = {1167};
        rig.sheet.model.SetFaults(f);
        const QString path = m_dir.filePath(QStringLiteral("refused.txt"));
        rig.sheet.ui.QueueFileName(path);
        Child<QPushButton>(page, Page::IdDownload)->click();
        QCOMPARE(rig.sheet.ui.MessageIds(), (QList<int>{354, 142, 6203}));
        QCOMPARE(rig.sheet.sheet->ActivePage(), rig.sheet.sheet->GeneralPage());
        QCOMPARE(ReadLines(path).size(), 1);
        QCOMPARE(answerer.viewersShown, 0);
    }

    void openFileButton() {
        Rig rig;
        Page* page = rig.Open();
        QVERIFY(page);
        const QString good = m_dir.filePath(QStringLiteral("open.txt"));
        QFile f(good);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            "Date;Time;A[\xb0"
            "C];B[pH];\r\n2024-01-01;00:00;25,1;8,1;\r\n"
            "2024-01-01;00:15;25,2;8,2;\r\n");
        f.close();
        const QString bad = m_dir.filePath(QStringLiteral("bad.txt"));
        QFile b(bad);
        QVERIFY(b.open(QIODevice::WriteOnly));
        b.write("Date;Time\r\n");
        b.close();

        ModalAnswerer answerer;
        auto* open = Child<QPushButton>(page, Page::IdOpenFile);
        QVERIFY(open->isEnabled());
        rig.sheet.ui.QueueFileName(good);
        open->click();
        QCOMPARE(answerer.viewersShown, 1);
        QCOMPARE(answerer.viewerCharts, 2);
        rig.sheet.ui.QueueFileName(bad);
        open->click();
        rig.sheet.ui.QueueFileName(QString());  // cancelled
        open->click();
        QCOMPARE(answerer.viewersShown, 1);
        QCOMPARE(rig.sheet.ui.MessageIds(), QList<int>{392});
        QCOMPARE(rig.sheet.ui.fileDialogTitles, QStringList(3, Tr(20716)));
    }

    // With KORVALIS_SCREENSHOT_DIR set: the page with recorder data and the options dialog,
    // in English and German.
    void screenshots() {
        const QString dir = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (dir.isEmpty()) return;
        for (int language : {int(CLanguage::English), int(CLanguage::German)}) {
            const QString suffix =
                language == CLanguage::English ? QStringLiteral("en") : QStringLiteral("de");
            Rig rig(language);
            rig.Fill(7 * 24 * 4);
            Page* page = rig.Open();
            QVERIFY(page);
            page->RefreshTick();
            rig.sheet.sheet->show();
            QVERIFY(QTest::qWaitForWindowExposed(rig.sheet.sheet.get()));
            CSheetRig::Settle();
            page->RefreshTick();
            QVERIFY(rig.sheet.sheet->grab().save(dir + QStringLiteral("/measurement-page-") +
                                                 suffix + QStringLiteral(".png")));
            CSaveMeasOptionsDlg dialog(rig.sheet.sheet.get());
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(dialog.grab().save(dir + QStringLiteral("/options-dialog-") + suffix +
                                       QStringLiteral(".png")));
        }
    }
};

QTEST_MAIN(CPropertyPageMeasurementTest)
#include "CPropertyPageMeasurement_test.moc"
