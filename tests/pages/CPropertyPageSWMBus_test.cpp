// SPDX-License-Identifier: GPL-3.0-or-later
// The bus test page: present only in service mode; raw reads and writes at any bus address,
// signed and unsigned readings, the repeated read and its end when the page is left.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "lang/CLanguage.h"
#include "link/CSWMBus.h"
#include "pages/system/CPropertyPageSWMBus.h"
#include "support/CSheetRig.h"

namespace {
using Access = CDeviceModel::Access;

CDeviceModel::Options WithSms() {
    CDeviceModel::Options o;
    o.sms = true;
    o.smsFirmware = 407;
    return o;
}

struct ServiceRig : CSheetRig {
    explicit ServiceRig(const CDeviceModel::Options& o = {}) : CSheetRig(o) {
        app.serviceMode = true;
        connection.smsModule = o.sms;
    }
};

void Set(CPropertyPageSWMBus* page, int address, int number, bool isSigned = false) {
    page->findChild<QSpinBox*>(QStringLiteral("1675"))->setValue(address);
    page->findChild<QSpinBox*>(QStringLiteral("1271"))->setValue(number);
    page->findChild<QCheckBox*>(QStringLiteral("1626"))->setChecked(isSigned);
}

QString ValueText(CPropertyPageSWMBus* page) {
    return page->findChild<QLineEdit*>(QStringLiteral("1242"))->text();
}

void Click(CPropertyPageSWMBus* page, int id) {
    page->findChild<QPushButton*>(QString::number(id))->click();
}
}  // namespace

class CPropertyPageSWMBusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onlyInServiceMode() {
        {
            CSheetRig rig;
            QVERIFY(rig.Connect());
            QVERIFY(!rig.sheet->FindPage<CPropertyPageSWMBus>());
        }
        ServiceRig rig;
        QVERIFY(rig.Connect());
        auto* page = rig.sheet->FindPage<CPropertyPageSWMBus>();
        QVERIFY(page);
        QCOMPARE(page->Caption(), Tr(167));
        QVERIFY(page->GroupText().isEmpty());
        // Starts at the bus address of the connection in use.
        QCOMPARE(page->Address(), uint8_t(1));
        // Its activation reads nothing.
        rig.model.ClearLog();
        rig.sheet->ActivatePage(page);
        QVERIFY(rig.model.Log().isEmpty());
    }

    void readsAtAnyAddressSignedOrNot() {
        ServiceRig rig(WithSms());
        QVERIFY(rig.Connect());
        QVERIFY(rig.app.HasSmsModule());
        auto* page = rig.Activate<CPropertyPageSWMBus>();
        rig.model.ClearLog();

        // Firmware version of the SMS module.
        Set(page, 34, 0);
        Click(page, CPropertyPageSWMBus::IdRead);
        QCOMPARE(ValueText(page), QStringLiteral("407"));
        QCOMPARE(rig.model.Log().size(), 1);
        QCOMPARE(rig.model.Log()[0].address, uint8_t(34));
        QCOMPARE(rig.model.Log()[0].number, 0);

        // Eight nibbles F: -1 signed, 4294967295 unsigned.
        rig.model.Controller().SetValue(1234, -1);
        Set(page, 1, 1234, true);
        Click(page, CPropertyPageSWMBus::IdRead);
        QCOMPARE(ValueText(page), QStringLiteral("-1"));
        Set(page, 1, 1234, false);
        Click(page, CPropertyPageSWMBus::IdRead);
        QCOMPARE(ValueText(page), QStringLiteral("4294967295"));
        QVERIFY(rig.ui.shown.isEmpty());
    }

    void refusedAddressUsesThePreviousOne() {
        ServiceRig rig(WithSms());
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSWMBus>();
        Set(page, 34, 0);
        Click(page, CPropertyPageSWMBus::IdRead);
        rig.model.ClearLog();
        Set(page, 40, 6);
        Click(page, CPropertyPageSWMBus::IdRead);
        QCOMPARE(rig.model.Log().size(), 1);
        QCOMPARE(rig.model.Log()[0].address, uint8_t(34));
        QCOMPARE(ValueText(page), QString::number(123456 + 1));  // the module's serial number
        // The application's own accesses set their address again.
        rig.model.ClearLog();
        QCOMPARE(rig.app.ReadParameter(0), uint16_t(0));
        QCOMPARE(rig.model.Log()[0].address, uint8_t(1));
    }

    void writesWithoutMessagesAndFailedReadKeepsValue() {
        ServiceRig rig;
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSWMBus>();
        rig.model.ClearLog();
        Set(page, 1, 1500);
        QLineEdit* value = page->findChild<QLineEdit*>(QStringLiteral("1242"));
        value->setText(QStringLiteral("42.9"));
        Click(page, CPropertyPageSWMBus::IdWrite);
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{1500, 42}}));

        // A refused write goes unnoticed.
        CDeviceModel::Faults refuse;
        refuse.refuse = {1500};
        rig.model.SetFaults(refuse);
        Click(page, CPropertyPageSWMBus::IdWrite);
        QVERIFY(rig.ui.shown.isEmpty());

        // Unreadable text keeps the value it had.
        value->setText(QStringLiteral("4x"));
        Click(page, CPropertyPageSWMBus::IdRead);
        QCOMPARE(page->Value(), 42.0);

        // A read without answer leaves the value as it was.
        CDeviceModel::Faults drop;
        drop.dropRate = 1.0;
        rig.model.SetFaults(drop);
        value->setText(QStringLiteral("7"));
        Click(page, CPropertyPageSWMBus::IdRead);
        QCOMPARE(ValueText(page), QStringLiteral("7"));
        QVERIFY(rig.ui.shown.isEmpty());
        QVERIFY(!rig.sheet->LinkError());
        QCOMPARE(rig.sheet->ActivePage(), page);
    }

    void repeatFollowsTheValueUntilThePageIsLeft() {
        ServiceRig rig;
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSWMBus>();
        Set(page, 1, 1600);
        QCheckBox* repeat = page->findChild<QCheckBox*>(QStringLiteral("1273"));
        rig.model.Controller().SetValue(1600, 5);
        page->RefreshTick();
        QCOMPARE(ValueText(page), QStringLiteral("0"));  // not repeating yet
        repeat->click();
        QVERIFY(page->Repeat());
        page->RefreshTick();
        QCOMPARE(ValueText(page), QStringLiteral("5"));
        rig.model.Controller().SetValue(1600, 6);
        page->RefreshTick();
        QCOMPARE(ValueText(page), QStringLiteral("6"));
        // Nothing while another transfer holds the bus.
        rig.model.Controller().SetValue(1600, 7);
        rig.app.SetTransferInProgress(true);
        page->RefreshTick();
        rig.app.SetTransferInProgress(false);
        QCOMPARE(ValueText(page), QStringLiteral("6"));
        // The timer drives it too.
        QTRY_COMPARE_WITH_TIMEOUT(ValueText(page), QStringLiteral("7"), 5000);

        rig.sheet->ActivatePage(rig.sheet->GeneralPage());
        QVERIFY(!repeat->isChecked());
        QVERIFY(!page->Repeat());
        QVERIFY(!page->IsRefreshing());
    }

    void nothingWithoutEngine() {
        ServiceRig rig;
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSWMBus>();
        rig.sheet->RemovePages();
        rig.app.Disconnect();
        rig.model.ClearLog();
        page->ReadOnce();
        page->WriteOnce();
        QVERIFY(rig.model.Log().isEmpty());
    }
};

QTEST_MAIN(CPropertyPageSWMBusTest)
#include "CPropertyPageSWMBus_test.moc"
