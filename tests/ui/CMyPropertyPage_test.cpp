// SPDX-License-Identifier: GPL-3.0-or-later
// The page base: conversions, the read and write patterns against the device model, change
// flags and the Send button, the refresh tick, bindings, context help, the list control.
#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>

#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "support/CSheetRig.h"
#include "ui/page/CEditSpin.h"
#include "ui/services/CHelpViewer.h"
#include "ui/controls/CInPlaceEdit.h"
#include "ui/services/CMessageService.h"
#include "ui/controls/CMyListCtrl.h"
#include "ui/page/CPageHost.h"
#include "ui/page/CPageRegistry.h"
#include "device/CMemoryChannel.h"
#include "support/CScriptedUserInteraction.h"
#include "ui/page/PageConversions.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;

// A page as a later page would be written: fields, order, conversions, nothing else.
class CTestPage : public CMyPropertyPage {
    Q_OBJECT
public:
    double ph = 7.0;
    double temperature = 25.0;
    int onTime = 480;
    bool enabled = false;
    int ticks = 0;
    std::function<void(CTestPage&)> onTick;

    CEditSpin* Ph() const { return findChild<CEditSpin*>(QStringLiteral("1351")); }

protected:
    bool InitHelpTopics() override {
        m_pageHelpTopic = 500;
        m_helpTopics.insert(1351, 501);
        return true;
    }
    void CreateControls() override {
        auto* form = new QFormLayout(this);
        form->addRow(QStringLiteral("pH"), BindEditSpin(1351, ph, 1351, 100, 5.0, 9.0));
        form->addRow(QStringLiteral("T"), BindEditSpin(1352, temperature, 1352, 10, -10.0, 35.0));
        form->addRow(QStringLiteral("on"), BindTime(1353, onTime, 1353));
        form->addRow(BindCheck(1354, enabled, 1354, QStringLiteral("enabled")));
    }
    int ReadCount() const override { return 4; }
    bool ReadValues() override {
        return ReadValue(1351, ph, 100) && ReadValue(1352, temperature, 10, true) &&
               ReadValue(1353, onTime) && ReadValue(1354, enabled);
    }
    bool WriteValues() override {
        return WriteIfChanged(1351, 1351, ph, 100) && WriteIfChanged(1352, 1352, temperature, 10) &&
               WriteIfChanged(1353, 1353, onTime) && WriteIfChanged(1354, 1354, enabled);
    }
    void OnRefreshTick() override {
        ++ticks;
        if (onTick) onTick(*this);
    }
};

// A window of the test's own: what the page reports, nothing shown.
class CTestHost : public CPageHost {
public:
    CMyPropertyPage* active = nullptr;
    QList<bool> changes;
    QList<bool> failures;
    CMyPropertyPage* ActivePage() const override { return active; }
    void PageChanged(CMyPropertyPage*, bool modified) override { changes << modified; }
    void SelectTreeItemOf(CMyPropertyPage*) override {}
    void UpdateSheetButtons(CMyPropertyPage*) override {}
    void AccessFailed(bool quiet) override { failures << quiet; }
};

void RegisterTestPages() {
    CPageRegistry::Register(QStringLiteral("CPropertyPageDisplay"), [] { return new CTestPage; });
}

// Every answer from this parameter on is lost (the engine tries three times, then gives up).
void FailReadsFrom(CDeviceModel& model, int number) {
    model.Controller().beforeRead = [&model, number](CBusDevice&, int n) {
        if (n == number) {
            CDeviceModel::Faults f;
            f.dropRate = 1.0;
            model.SetFaults(f);
        }
    };
}

QList<int> Unique(const QList<int>& numbers) {
    QList<int> out;
    for (int n : numbers)
        if (out.isEmpty() || out.back() != n) out << n;
    return out;
}
}  // namespace

class CMyPropertyPageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { RegisterTestPages(); }

    void timeConversions() {
        using namespace PageConversions;
        QCOMPARE(MinutesToTime(0), QTime(0, 0));
        QCOMPARE(MinutesToTime(59), QTime(0, 59));
        QCOMPARE(MinutesToTime(61), QTime(1, 1));
        QCOMPARE(MinutesToTime(1439), QTime(23, 59));
        // The device may report a minute value past midnight: clamped, never an invalid time.
        QCOMPARE(MinutesToTime(1440), QTime(23, 59));
        QCOMPARE(MinutesToTime(65535), QTime(23, 59));
        QCOMPARE(MinutesToTime(-3), QTime(0, 0));
        QCOMPARE(SecondsToTime(3723), QTime(1, 2, 3));
        QCOMPARE(SecondsToTime(90000), QTime(23, 59, 59));
        QCOMPARE(TimeToMinutes(QTime(13, 45, 50)), 825);
        QCOMPARE(TimeToSeconds(QTime(1, 2, 3)), 3723);
    }

    void dayNumbersCoverTheCentury() {
        using namespace PageConversions;
        QCOMPARE(DayNumberToDate(0), QDate(2000, 1, 1));
        QCOMPARE(DayNumberToDate(366), QDate(2001, 1, 1));
        QCOMPARE(DayNumberToDate(1521), QDate(2004, 3, 1));
        QCOMPARE(DateToDayNumber(QDate(2004, 3, 1)), 1521);
        QCOMPARE(DateToDayNumber(QDate(2004, 2, 29)), 1520);
        // Every day of 2000..2099 maps to consecutive numbers and back.
        QDate d = FirstDate();
        for (int n = 0; n <= kLastDayNumber; ++n, d = d.addDays(1)) {
            if (DateToDayNumber(d) != n || DayNumberToDate(n) != d)
                QFAIL(
                    qPrintable(QStringLiteral("day %1 / %2").arg(n).arg(d.toString(Qt::ISODate))));
        }
        QCOMPARE(DayNumberToDate(kLastDayNumber), QDate(2099, 12, 31));
        // Outside the covered years: clamped, never a date the pickers cannot show.
        QCOMPARE(DayNumberToDate(40000), QDate(2099, 12, 31));
        QCOMPARE(DayNumberToDate(-1), QDate(2000, 1, 1));
        QCOMPARE(DateToDayNumber(QDate(2150, 1, 1)), kLastDayNumber);
        QCOMPARE(DateToDayNumber(QDate(1999, 12, 31)), 0);
    }

    void displayToDeviceRemovesRepresentationError() {
        using namespace PageConversions;
        QCOMPARE(DisplayToDevice(8.29, 100), int64_t(829));  // 828.99999... in binary
        QCOMPARE(DisplayToDevice(-8.29, 100), int64_t(-829));
        QCOMPARE(DisplayToDevice(0.3, 10), int64_t(3));
        QCOMPARE(DisplayToDevice(2.55, 10), int64_t(25));  // surplus decimals still truncate
        QCOMPARE(DisplayToDevice(50.7, 1), int64_t(50));
        QCOMPARE(DisplayToDevice(-2.55, 10), int64_t(-25));
        QCOMPARE(TruncateToHundredths(8.29), 8.29);
        QCOMPARE(TruncateToHundredths(1.999), 1.99);
        QCOMPARE(DeviceToDisplay(829, 100), 8.29);
    }

    void readsInOrderOnceAndConverts() {
        CSheetRig rig;
        rig.model.Controller().SetValue(1351, 829);
        rig.model.Controller().SetValue(1352, -55);
        rig.model.Controller().SetValue(1353, 1500);  // past midnight
        rig.model.Controller().SetValue(1354, 1);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = qobject_cast<CTestPage*>(rig.Activate(QStringLiteral("CPropertyPageDisplay")));
        QVERIFY(page);
        QCOMPARE(rig.ReadNumbers(), (QList<int>{1351, 1352, 1353, 1354}));
        QVERIFY(page->IsRead());
        QVERIFY(page->IsActive());
        QVERIFY(page->IsRefreshing());
        QCOMPARE(page->ph, 8.29);
        QCOMPARE(page->temperature, -5.5);
        QCOMPARE(page->Ph()->text(), QStringLiteral("8.29"));
        QCOMPARE(page->findChild<QTimeEdit*>(QStringLiteral("1353"))->time(), QTime(23, 59));
        QVERIFY(page->findChild<QCheckBox*>(QStringLiteral("1354"))->isChecked());
        QVERIFY(!page->IsModified());
        // The progress bar was driven by the page's four reads and reset afterwards.
        QCOMPARE(rig.ui.progressMax, 4);
        QCOMPARE(rig.sheet->ProgressBar()->value(), 0);

        // Leaving and coming back reads nothing; Read reads again.
        rig.sheet->ActivatePage(0);
        QVERIFY(!page->IsRefreshing());
        rig.model.ClearLog();
        rig.sheet->ActivatePage(page);
        QVERIFY(rig.ReadNumbers().isEmpty());
        rig.Read();
        QCOMPARE(rig.ReadNumbers(), (QList<int>{1351, 1352, 1353, 1354}));
        QVERIFY(rig.ui.shown.isEmpty());
    }

    void failedReadStopsAndJumpsToGeneral() {
        CSheetRig rig;
        rig.model.Controller().SetValue(1351, 650);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        FailReadsFrom(rig.model, 1352);
        auto* page = qobject_cast<CTestPage*>(rig.Activate(QStringLiteral("CPropertyPageDisplay")));
        QVERIFY(page);
        QCOMPARE(Unique(rig.ReadNumbers()), (QList<int>{1351, 1352}));
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QCOMPARE(rig.ui.shown[0].icon, CUserInteraction::Icon::Stop);
        QVERIFY(!page->IsRead());
        QVERIFY(!page->IsActive());
        QVERIFY(!page->IsRefreshing());
        QVERIFY(rig.sheet->LinkError());
        QCOMPARE(rig.sheet->ActivePage(), rig.sheet->GeneralPage());
        // The controls were not updated by the partial read.
        QCOMPARE(page->Ph()->value(), 7.0);

        // The link is back: the next activation reads the whole page again.
        rig.model.SetFaults({});
        rig.model.Controller().beforeRead = nullptr;
        rig.model.ClearLog();
        rig.sheet->ActivatePage(page);
        QCOMPARE(rig.ReadNumbers(), (QList<int>{1351, 1352, 1353, 1354}));
        QVERIFY(page->IsRead());
        QCOMPARE(page->Ph()->value(), 6.5);
    }

    // The page needs only its host and the connected controller: read, edit, write and a
    // failed read, without the main window.
    void pageWithoutTheMainWindow() {
        CDeviceModel model;
        model.Controller().SetValue(1351, 650);
        CScriptedUserInteraction ui;
        CKorvalisControlApp app;
        app.SetUserInteraction(&ui);
        app.SetFramePause(0);
        app.SetChannelFactory([&model](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        CConnection connection;
        connection.replyTimeout = 100;
        QVERIFY(app.Connect(&connection, false));
        model.ClearLog();

        CTestHost host;
        CTestPage page;
        page.SetHost(&host);
        host.active = &page;
        QVERIFY(page.OnSetActive());
        QList<int> read;
        for (const CDeviceModel::Access& a : model.Log())
            if (a.kind == CDeviceModel::Access::Read) read << a.number;
        QCOMPARE(read, (QList<int>{1351, 1352, 1353, 1354}));
        QCOMPARE(page.ph, 6.5);

        QLineEdit* edit = page.findChild<QLineEdit*>(QStringLiteral("1351"));
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("7.25"));
        QTest::keyClick(edit, Qt::Key_Enter);
        model.ClearLog();
        page.WritePage();
        QCOMPARE(model.Writes(), (Writes{{1351, 725}}));
        // Typing told the host the page changed; the write told it the page is sent.
        QVERIFY(host.changes.contains(true));
        QCOMPARE(host.changes.last(), false);

        FailReadsFrom(model, 1352);
        page.ReadPage(true);
        QCOMPARE(host.failures, QList<bool>{false});
        QVERIFY(page.ReadFailed());
        page.SetHost(nullptr);
    }

    void editMarksModifiedAndSendWritesOnlyChanges() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        auto* page = qobject_cast<CTestPage*>(rig.Activate(QStringLiteral("CPropertyPageDisplay")));
        QVERIFY(page);
        QPushButton* send = rig.sheet->Button(CMyPropertySheet::IdSend);
        QVERIFY(!send->isEnabled());
        rig.model.ClearLog();

        // The user types 8.29 into the pH field and leaves it.
        QLineEdit* edit = page->findChild<QLineEdit*>(QStringLiteral("1351"));
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("8.29"));
        QTest::keyClick(edit, Qt::Key_Enter);
        QVERIFY(page->IsModified());
        QVERIFY(page->IsChanged(1351));
        QVERIFY(!page->IsChanged(1352));
        QVERIFY(send->isEnabled());
        page->findChild<QCheckBox*>(QStringLiteral("1354"))->setChecked(true);

        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{1351, 829}, {1354, 1}}));
        QVERIFY(!page->IsModified());
        QCOMPARE(page->ChangedCount(), 0);
        QVERIFY(!send->isEnabled());
        QVERIFY(rig.ui.shown.isEmpty());

        // Typing alone enables Send, and Send (here from the sheet, with the focus still in
        // the field) writes what the field shows.
        rig.model.ClearLog();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("6.5"));
        QVERIFY(page->IsModified());
        QVERIFY(send->isEnabled());
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{1351, 650}}));
    }

    void refusedWriteKeepsFlagsForRetry() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        auto* page = qobject_cast<CTestPage*>(rig.Activate(QStringLiteral("CPropertyPageDisplay")));
        page->Ph()->setValue(6.0);
        page->findChild<QCheckBox*>(QStringLiteral("1354"))->setChecked(true);
        CDeviceModel::Faults f;
        f.refuse = {1351};
        rig.model.SetFaults(f);
        rig.model.ClearLog();
        rig.Send();
        // Stopped at the refused value; the later one was not written.
        QCOMPARE(rig.model.Writes(), (Writes{{1351, 600}}));
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QVERIFY(page->IsModified());
        QVERIFY(page->IsChanged(1351) && page->IsChanged(1354));
        QVERIFY(rig.sheet->Button(CMyPropertySheet::IdSend)->isEnabled());
        // Retry once the controller accepts.
        rig.model.SetFaults({});
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{1351, 600}, {1354, 1}}));
        QVERIFY(!page->IsModified());
    }

    void fillingControlsDoesNotMarkChanges() {
        CSheetRig rig;
        rig.model.Controller().SetValue(1352, 300);
        QVERIFY(rig.Connect());
        auto* page = qobject_cast<CTestPage*>(rig.Activate(QStringLiteral("CPropertyPageDisplay")));
        QCOMPARE(page->temperature, 30.0);
        QVERIFY(!page->IsModified());
        QCOMPARE(page->ChangedCount(), 0);
    }

    void refreshTickProbesIdleLinkAndStaysOutOfTransfers() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        auto* page = qobject_cast<CTestPage*>(rig.Activate(QStringLiteral("CPropertyPageDisplay")));
        rig.model.ClearLog();
        for (int i = 0; i < 10; ++i) page->RefreshTick();
        QVERIFY(rig.ReadNumbers().isEmpty());
        page->RefreshTick();  // more than ten idle ticks: one probe of parameter 0
        QCOMPARE(rig.ReadNumbers(), QList<int>{0});
        QCOMPARE(page->ticks, 11);
        {
            CTimerStop stop;
            page->RefreshTick();
        }
        QCOMPARE(page->ticks, 11);
        rig.app.simulationMode = true;
        page->RefreshTick();
        QCOMPARE(page->ticks, 11);
    }

    void failingTickShowsOneMessageAndStopsRefresh() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        auto* page = qobject_cast<CTestPage*>(rig.Activate(QStringLiteral("CPropertyPageDisplay")));
        QVERIFY(page->IsRefreshing());
        int nested = 0;
        bool refreshingWhenShown = true;
        // While message 354 is open its event loop would deliver more ticks: simulate that.
        CMessageService::SetHandler([&](const CMessageService::Shown&) {
            refreshingWhenShown = page->IsRefreshing();
            ++nested;
            page->RefreshTick();
            page->RefreshTick();
            return int(CUserInteraction::IdOk);
        });
        page->onTick = [](CTestPage& p) { p.ReadParam(9999); };
        FailReadsFrom(rig.model, 9999);
        page->RefreshTick();
        QCOMPARE(nested, 1);
        QVERIFY(!refreshingWhenShown);
        QCOMPARE(page->ticks, 1);
        CMessageService::SetHandler({});
    }

    void editSpinClampsAndCouples() {
        QWidget host;
        auto* low = new CEditSpin(1400, 10, 0.0, 50.0, &host);
        auto* high = new CEditSpin(1402, 10, 0.0, 50.0, &host);
        QSignalSpy edited(low, &CEditSpin::valueEdited);
        low->SetValueQuietly(10.0);
        high->SetValueQuietly(30.0);
        low->CoupleBelow(high);
        QCOMPARE(low->maximum(), 30.0);
        QCOMPARE(high->minimum(), 10.0);
        QCOMPARE(edited.count(), 0);
        // Typing beyond the coupled limit is clamped when the field is left.
        QLineEdit* lowEdit = low->findChild<QLineEdit*>(QStringLiteral("1400"));
        lowEdit->selectAll();
        QTest::keyClicks(lowEdit, QStringLiteral("45.0"));
        QTest::keyClick(lowEdit, Qt::Key_Enter);
        QCOMPARE(low->value(), 30.0);
        QCOMPARE(low->Position(), int64_t(300));
        QVERIFY(edited.count() >= 1);
        high->SetValueQuietly(40.0);
        QCOMPARE(low->maximum(), 40.0);
        low->SetPosition(123);
        QCOMPARE(low->value(), 12.3);
    }

    void contextHelpUsesControlThenPageTopic() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        auto* page = qobject_cast<CTestPage*>(rig.Activate(QStringLiteral("CPropertyPageDisplay")));
        page->ShowContextHelp(1351);
        QCOMPARE(rig.app.currentHelpTopic, uint16_t(501));
        QCOMPARE(CHelpViewer::LastTopic(), uint16_t(501));
        page->ShowContextHelp(1352);
        QCOMPARE(rig.app.currentHelpTopic, uint16_t(500));
        QTest::mouseClick(rig.sheet->Button(CMyPropertySheet::IdHelp), Qt::LeftButton);
        QCOMPARE(CHelpViewer::LastTopic(), uint16_t(500));
    }

    void listControlEditModes() {
        CKorvalisControlApp app;
        app.LoadLanguage(1);
        CMyListCtrl list;
        list.SetColumns({QStringLiteral("name"), QStringLiteral("value")});
        list.setRowCount(2);
        list.SetText(0, 1, QStringLiteral("old"));
        list.resize(300, 200);
        list.show();
        QSignalSpy edited(&list, &CMyListCtrl::cellEdited);

        // Free text: Escape cancels, focus loss applies.
        CInPlaceEdit* e = list.EditSubLabel(0, 1);
        QVERIFY(e);
        QCOMPARE(e->text(), QStringLiteral("old"));
        e->setText(QStringLiteral("new"));
        QTest::keyClick(e, Qt::Key_Escape);
        QCOMPARE(list.Text(0, 1), QStringLiteral("old"));
        e = list.EditSubLabel(0, 1);
        e->setText(QStringLiteral("new"));
        QTest::keyClick(e, Qt::Key_Enter);
        QCOMPARE(list.Text(0, 1), QStringLiteral("new"));
        QCOMPARE(edited.count(), 1);
        QVERIFY(!list.EditSubLabel(0, 0));  // the first column is not editable

        // Number: digits only, at most three, clamped to 0..100.
        list.SetEditMode(CMyListCtrl::Number);
        e = list.EditSubLabel(1, 1);
        QTest::keyClicks(e, QStringLiteral("-4a567"));
        QCOMPARE(e->text(), QStringLiteral("456"));
        QTest::keyClick(e, Qt::Key_Enter);
        QCOMPARE(list.Text(1, 1), QStringLiteral("100"));

        // Toggle: a click on the current row switches 401 <-> 400; the first click only selects.
        list.SetEditMode(CMyListCtrl::Toggle);
        list.SetText(0, 1, QString());
        list.setFocus();
        list.setCurrentCell(1, 0);
        const QPoint cell = list.visualRect(list.model()->index(0, 1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(list.Text(0, 1), QString());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(list.Text(0, 1), Tr(401));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(list.Text(0, 1), Tr(400));
    }
};

QTEST_MAIN(CMyPropertyPageTest)
#include "CMyPropertyPage_test.moc"
