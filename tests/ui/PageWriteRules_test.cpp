// SPDX-License-Identifier: GPL-3.0-or-later
// What Send may write, whatever the page: only changes, only on pages that were read;
// edits survive leaving a page; a device value outside its field's range is shown as it is
// and not written unless edited; no page dialog outlives its page; description files are
// left alone after a failed read.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QDir>

#include "lang/CLanguage.h"
#include "pages/outputs/CPropertyPageProgLogic.h"
#include "pages/sensors/CAdjustTempDlg.h"
#include "pages/sensors/CPropertyPageSensor.h"
#include "pages/sms/CPropertyPageSMSModule.h"
#include "pages/system/CPropertyPageDisplay.h"
#include "support/CSheetRig.h"
#include "support/ControlInput.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;

CDeviceModel::Options WithModule() {
    CDeviceModel::Options o;
    o.sms = true;
    return o;
}

template <class T>
T* Find(QWidget* owner, int id) {
    return owner->findChild<T*>(QString::number(id));
}

// The device falls silent a few frames into the next page read and answers again
// afterwards, as a line that drops for a moment; the user declines to disconnect.
template <class Page>
Page* ActivateWithFailedRead(CSheetRig& rig, CBusDevice& device) {
    int frames = 0;
    device.silent = [&frames](const CBusDevice&) { return ++frames > 6; };
    auto* page = rig.sheet->FindPage<Page>();
    rig.sheet->ActivatePage(page);
    device.silent = nullptr;
    return page;
}
}  // namespace

class PageWriteRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void sendSkipsPagesThatWereNotReadAndSaysWhich() {
        CSheetRig rig(WithModule());
        rig.connection.smsModule = true;
        QVERIFY(rig.Connect());
        auto* sms = ActivateWithFailedRead<CPropertyPageSMSModule>(rig, *rig.model.SmsModule());
        QVERIFY(rig.app.IsConnected());
        QVERIFY(sms->IsInitialised() && !sms->IsRead() && sms->ReadFailed());
        // Browsing on, the user edits another page and sends: the unread page, unchanged,
        // writes nothing (no 86 = 0 ... 86 = n around nothing).
        auto* display = rig.Activate<CPropertyPageDisplay>();
        QVERIFY(display->IsRead());
        TypeAndLeave(display, CPropertyPageDisplay::IdValue, "12");
        rig.model.ClearLog();
        rig.ui.shown.clear();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{770, 12}}));
        QVERIFY(rig.ui.shown.isEmpty());
        // An edit on the unread page (its controls still there) is kept, not sent, and named.
        QTest::keyClicks(Find<QLineEdit>(sms, CPropertyPageSMSModule::IdPhone), "+49");
        QVERIFY(sms->IsModified() && !sms->IsRead());
        TypeAndLeave(display, CPropertyPageDisplay::IdValue, "13");
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{770, 13}}));
        QCOMPARE(rig.ui.MessageIds(), QList<int>{50000});
        QVERIFY(rig.ui.shown[0].text.contains(Tr(50002).arg(sms->Caption())));
        QVERIFY(sms->IsModified());
        // Nothing changed anywhere: Send writes nothing and says nothing.
        QVERIFY(!display->IsModified());
        sms->MarkModified(false);
        rig.model.ClearLog();
        rig.ui.shown.clear();
        rig.sheet->WriteAllPages();
        QVERIFY(rig.model.Log().isEmpty());
        QVERIFY(rig.ui.shown.isEmpty());
        // Settings loaded onto the controller leave the pages unread until they are shown
        // again: an edit made before is kept, not sent, and named as not read.
        TypeAndLeave(display, CPropertyPageDisplay::IdValue, "14");
        rig.sheet->ActivatePage(rig.sheet->GeneralPage());
        rig.sheet->InvalidatePages();
        QVERIFY(display->IsModified() && !display->IsRead() && !display->ReadFailed());
        rig.model.ClearLog();
        rig.Send();
        QVERIFY(rig.model.Writes().isEmpty());
        QCOMPARE(rig.ui.MessageIds(), QList<int>{50000});
        QVERIFY(rig.ui.shown[0].text.contains(Tr(50001).arg(display->Caption())));
    }

    // Typed text not yet confirmed, and a list page's own values, survive leaving the page.
    void editsSurviveLeavingThePage_data() {
        QTest::addColumn<bool>("smsPage");
        QTest::newRow("declared field") << false;
        QTest::newRow("sms module page") << true;
    }
    void editsSurviveLeavingThePage() {
        QFETCH(bool, smsPage);
        CSheetRig rig(WithModule());
        rig.model.SmsModule()->SetValue(86, 1);
        rig.model.SmsModule()->SetValue(2060, 615);
        rig.connection.smsModule = true;
        QVERIFY(rig.Connect());
        CMyPropertyPage* page = smsPage ? static_cast<CMyPropertyPage*>(
                                              rig.Activate<CPropertyPageSMSModule>())
                                        : rig.Activate<CPropertyPageDisplay>();
        const int id = smsPage ? int(CPropertyPageSMSModule::IdPhone)
                               : int(CPropertyPageDisplay::IdValue);
        QLineEdit* edit = Find<QLineEdit>(page, id);
        edit->selectAll();
        QTest::keyClicks(edit, smsPage ? "+4930" : "45");
        // Let the SMS page's live cycle reach the module's clock.
        for (int k = 0; k < 6; ++k) page->RefreshTick();
        rig.sheet->ActivatePage(rig.sheet->GeneralPage());
        rig.sheet->ActivatePage(page);
        QCOMPARE(edit->text(), smsPage ? QStringLiteral("+4930") : QStringLiteral("45"));
        rig.model.ClearLog();
        rig.Send();
        if (smsPage) {
            QCOMPARE(Find<QTimeEdit>(page, CPropertyPageSMSModule::IdTime)->time(), QTime(10, 15));
            QCOMPARE(rig.model.Writes(), (Writes{{86, 0}, {86, 1}}));
            QCOMPARE(rig.model.SmsModule()->Text(90), QByteArray("+4930"));
            QCOMPARE(rig.model.SmsModule()->Value(2060), 615);
        } else {
            QCOMPARE(rig.model.Writes(), (Writes{{770, 45}}));
        }
    }

    void outOfRangeValueIsShownAndNotWritten() {
        CSheetRig rig;
        rig.model.Controller().SetValue(770, 500);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageDisplay>();
        auto* spin = Find<CEditSpin>(page, CPropertyPageDisplay::IdValue);
        QCOMPARE(spin->value(), 500.0);
        QVERIFY(spin->IsOutOfRange());
        QVERIFY(spin->toolTip().contains(Tr(50003).arg("500", "1", "60")));
        // Under the field help's rich text, on a line of its own.
        QVERIFY(spin->toolTip().contains("<br>" + Tr(50003).arg("500", "1", "60").toHtmlEscaped()));
        QVERIFY(!page->IsModified());
        rig.sheet->ActivatePage(rig.sheet->GeneralPage());
        rig.sheet->ActivatePage(page);
        QCOMPARE(spin->value(), 500.0);
        // Another field changes: only that one goes out.
        Find<QComboBox>(page, CPropertyPageDisplay::IdSelection)->setCurrentIndex(2);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{773, 2}}));
        QCOMPARE(spin->value(), 500.0);
        // The user's first step brings the value into its range; that is an edit.
        spin->stepBy(-1);
        QVERIFY(!spin->IsOutOfRange());
        QVERIFY(!spin->toolTip().contains(Tr(50003).arg("500", "1", "60")));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{770, 60}}));
    }

    // A failed access inside the calibration-shift dialog moves the sheet to the General
    // page, whose tick disconnects: the page and the dialog stay until the dialog closes.
    void pageDialogOutlivesNoPage() {
        CDeviceModel::Options o;
        o.sensors = {1, 0, 0, 0, 0, 0, 0, 0};
        CSheetRig rig(o);
        QVERIFY(rig.Connect());
        auto* page = rig.sheet->FindPage("CPropertyPageTemperature");
        QVERIFY(page);
        rig.sheet->ActivatePage(page);
        QVERIFY(page->IsRead());
        QPointer<CMyPropertyPage> watched(page);
        bool heldWhileOpen = false;
        WhenModalOpens<CAdjustTempDlg>([&](CAdjustTempDlg* dialog) {
            CDeviceModel::Faults faults;
            faults.closeAfterFrames = 0;
            rig.model.SetFaults(faults);
            dialog->accept();  // reads the calibration: fails, the sheet goes to General
            QVERIFY(dialog->isVisible());
            QTest::qWait(600);  // the General page's ticks ask for the disconnect
            heldWhileOpen = watched && rig.sheet->PageIndex(watched) >= 0 && dialog->isVisible();
        });
        Find<QPushButton>(page, CPropertyPageSensor::IdAdjust)->click();
        QVERIFY(heldWhileOpen);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.app.IsConnected() && !rig.sheet->PageSetIsConnected(), 3000);
        CSheetRig::Settle();
        QVERIFY(!watched);
    }

    void descriptionFileUntouchedAfterFailedRead() {
        CSheetRig rig;
        rig.app.dataFolder = m_dir.path();
        QVERIFY(rig.Connect());
        const QString path = m_dir.path() + "/123456/ProgLogicDescriptions.dat";
        QDir().mkpath(m_dir.path() + "/123456");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Pond\r\nFilter\r\n");
        }
        auto* page = ActivateWithFailedRead<CPropertyPageProgLogic>(rig, rig.model.Controller());
        QVERIFY(!page->IsRead());
        page->MarkAllChanged();
        rig.Send();
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("Pond\r\nFilter\r\n"));
        }
        // Read completely but with no name changed, Send leaves the file alone too.
        rig.sheet->ActivatePage(rig.sheet->GeneralPage());
        rig.sheet->ActivatePage(page);
        QVERIFY(page->IsRead());
        page->MarkAllChanged();
        rig.Send();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Pond\r\nFilter\r\n"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(PageWriteRulesTest)
#include "PageWriteRules_test.moc"
