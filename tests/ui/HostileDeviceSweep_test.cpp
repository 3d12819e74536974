// SPDX-License-Identifier: GPL-3.0-or-later
// Every page of every model and firmware generation, with and without the SMS module, over
// a device whose values are all 0, all 0xFFFFFFFF or random: browsing every page and
// pressing Send writes nothing and nothing crashes. With the link failing at a random
// transfer, a page that was not read completely is never written.
#include <QPointer>
#include <QTest>
#include <random>

#include "support/CSheetRig.h"

namespace {
enum class Fill { Zero, Ones, Random };

// The parameters pages reach lie below this; unknown numbers read as 0 anyway.
constexpr int kHighestNumber = 4200;

void FillDevice(CBusDevice& device, Fill fill, std::mt19937& random) {
    for (int n = 0; n < kHighestNumber; ++n) {
        if (device.IsText(n)) continue;
        switch (fill) {
            case Fill::Zero: device.SetValue(n, 0); break;
            case Fill::Ones: device.SetValue(n, 0xFFFFFFFF); break;
            case Fill::Random: device.SetValue(n, int64_t(random())); break;
        }
    }
}

// Activates every page of the set as a user clicking down the tree would.
void BrowseAll(CSheetRig& rig) {
    const QList<QPointer<CMyPropertyPage>> pages(rig.sheet->Pages().begin(),
                                                 rig.sheet->Pages().end());
    for (const QPointer<CMyPropertyPage>& page : pages)
        if (page && rig.sheet->PageIndex(page) >= 0) rig.sheet->ActivatePage(page);
}

struct Case {
    int productCode;
    int firmware;
    bool sms;
};

QList<Case> Cases() {
    QList<Case> cases;
    // The generations the page table tells apart: below 402, 402, 405, 408.
    for (int code : {2, 3, 4, 5, 6, 7, 8})
        for (int firmware : {401, 402, 405, 408})
            for (bool sms : {false, true}) cases.append({code, firmware, sms});
    return cases;
}

QString Name(const Case& c, const char* fill) {
    return QStringLiteral("code%1-fw%2-%3-%4")
        .arg(c.productCode)
        .arg(c.firmware)
        .arg(c.sms ? "sms" : "nosms")
        .arg(QLatin1String(fill));
}

CDeviceModel::Options OptionsOf(const Case& c) {
    CDeviceModel::Options o;
    o.productCode = c.productCode;
    o.firmware = c.firmware;
    o.sms = c.sms;
    return o;
}
}  // namespace

class HostileDeviceSweepTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void browseAndSendWritesNothing_data() {
        QTest::addColumn<int>("productCode");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("sms");
        QTest::addColumn<int>("fill");
        for (const Case& c : Cases())
            for (auto [fill, name] : {std::pair{Fill::Zero, "zero"}, std::pair{Fill::Ones, "ones"},
                                      std::pair{Fill::Random, "random"}})
                QTest::newRow(qPrintable(Name(c, name)))
                    << c.productCode << c.firmware << c.sms << int(fill);
    }
    void browseAndSendWritesNothing() {
        QFETCH(int, productCode);
        QFETCH(int, firmware);
        QFETCH(bool, sms);
        QFETCH(int, fill);
        CSheetRig rig(OptionsOf({productCode, firmware, sms}));
        rig.connection.smsModule = sms;
        QVERIFY(rig.Connect());
        std::mt19937 random(uint32_t(productCode * 1000 + firmware * 2 + sms));
        FillDevice(rig.model.Controller(), Fill(fill), random);
        if (CBusDevice* module = rig.model.SmsModule()) FillDevice(*module, Fill(fill), random);
        rig.model.ClearLog();

        BrowseAll(rig);
        rig.sheet->WriteAllPages();
        CSheetRig::Settle();

        QStringList writes;
        for (const CDeviceModel::Access& a : rig.model.Log())
            if (a.kind != CDeviceModel::Access::Read)
                writes << QStringLiteral("%1@%2").arg(a.number).arg(a.address);
        QCOMPARE(writes, QStringList());
        QVERIFY(!rig.sheet->AnyPageModified());
    }

    // The link drops at a random transfer while the pages are browsed; it comes back and
    // the user (who stayed connected) edits every page and presses Send.
    void linkFailingWritesOnlyReadPages_data() {
        QTest::addColumn<int>("productCode");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("sms");
        QTest::addColumn<int>("failAfter");
        std::mt19937 random(29);
        for (const Case& c : Cases())
            QTest::newRow(qPrintable(Name(c, "fail")))
                << c.productCode << c.firmware << c.sms << int(random() % 1500);
    }
    void linkFailingWritesOnlyReadPages() {
        QFETCH(int, productCode);
        QFETCH(int, firmware);
        QFETCH(bool, sms);
        QFETCH(int, failAfter);
        CSheetRig rig(OptionsOf({productCode, firmware, sms}));
        rig.connection.smsModule = sms;
        QVERIFY(rig.Connect());
        CDeviceModel::Faults faults;
        faults.closeAfterFrames = failAfter;
        rig.model.SetFaults(faults);
        BrowseAll(rig);
        rig.model.SetFaults({});
        rig.model.ResetLink();
        if (!rig.app.IsConnected() || rig.sheet->PageSetIsConnected() != rig.app.IsConnected())
            return;  // the failure disconnected: nothing is left to send

        QList<QPointer<CMyPropertyPage>> unread;
        for (CMyPropertyPage* page : rig.sheet->Pages()) {
            if (!page->IsInitialised() || page == rig.sheet->GeneralPage()) continue;
            page->MarkAllChanged();
            if (!page->IsRead()) unread << page;
        }
        rig.ui.shown.clear();
        rig.sheet->WriteAllPages();

        for (const QPointer<CMyPropertyPage>& page : unread) {
            QVERIFY(page);
            QVERIFY2(page->IsModified(), qPrintable(page->ClassName()));
        }
        QCOMPARE(rig.ui.MessageIds().contains(50000), !unread.isEmpty());
        CSheetRig::Settle();
    }
};

QTEST_MAIN(HostileDeviceSweepTest)
#include "HostileDeviceSweep_test.moc"
