// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance page against the device model: rows per model, the two words of each
// socket list, levels clamped to 100, the mode switched at once, and the question when the
// main window closes in maintenance mode.
#include <QApplication>
#include <QCheckBox>
#include <QTest>

#include "lang/CLanguage.h"
#include "pages/system/CPropertyPageMaintenance.h"
#include "support/CSheetRig.h"
#include "ui/page/CPageTable.h"
#include "ui/sheet/CInPlaceEdit.h"
#include "ui/sheet/CMyListCtrl.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
using Maintenance = CPropertyPageMaintenance;
using Ui = CUserInteraction;

template <class T>
T* Find(QWidget* parent, int id) {
    return parent->findChild<T*>(QString::number(id));
}

CDeviceModel::Options Model(int code) {
    CDeviceModel::Options o;
    o.productCode = code;
    return o;
}

struct Rig {
    explicit Rig(int code = 4, std::initializer_list<std::pair<int, int64_t>> values = {})
        : rig(Model(code)) {
        for (auto [n, v] : values) rig.model.Controller().SetValue(n, v);
    }
    Maintenance* Open() {
        if (!rig.Connect()) return nullptr;
        rig.sheet->show();
        rig.model.ClearLog();
        auto* page = rig.Activate<Maintenance>();
        QApplication::processEvents();
        return page;
    }
    CSheetRig rig;
};

// The user clicks the second column of a row: the first click selects, the second toggles.
void ToggleState(CMyListCtrl* list, int row) {
    list->setFocus();
    list->scrollToItem(list->item(row, 1));
    const QPoint cell = list->visualRect(list->model()->index(row, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
}
}  // namespace

class MaintenancePagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowsAndReadOrderFollowTheModel_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("sockets");
        QTest::addColumn<int>("interfaces");
        QTest::newRow("D") << 4 << 24 << 10;
        QTest::newRow("F") << 7 << 4 << 4;
        QTest::newRow("E") << 5 << 24 << 4;
    }
    void rowsAndReadOrderFollowTheModel() {
        QFETCH(int, code);
        QFETCH(int, sockets);
        QFETCH(int, interfaces);
        Rig r(code);
        Maintenance* page = r.Open();
        QVERIFY(page);
        QList<int> order{1101, 800, 801, 802, 803, 814};
        for (int j = 0; j < interfaces; ++j) order << 804 + j;
        order << 815;
        QCOMPARE(r.rig.ReadNumbers(), order);
        auto* list1 = Find<CMyListCtrl>(page, Maintenance::IdSockets);
        auto* list2 = Find<CMyListCtrl>(page, Maintenance::IdInterfaces);
        QCOMPARE(list1->rowCount(), sockets);
        QCOMPARE(list2->rowCount(), interfaces);
        QCOMPARE(list1->Text(sockets - 1, 0), CPageTable::NumberedCaption(Tr(399), sockets));
        QCOMPARE(list2->Text(0, 0), CPageTable::NumberedCaption(Tr(398), 1));
        QCOMPARE(list1->GetEditMode(), CMyListCtrl::Toggle);
        QCOMPARE(list2->GetEditMode(), CMyListCtrl::Number);
    }

    void socketWordsSplitAtSixteenAndKeepUnshownBits() {
        // Output 20 is bit 3 of the second words; bit 15 of 801 belongs to no row of 24.
        Rig r(4, {{800, 0x0001}, {801, 0x8008}, {802, 0x0001}, {803, 0x0000}});
        Maintenance* page = r.Open();
        QVERIFY(page);
        auto* list = Find<CMyListCtrl>(page, Maintenance::IdSockets);
        QCOMPARE(list->item(0, 0)->checkState(), Qt::Checked);
        QCOMPARE(list->Text(0, 1), Tr(401));
        QCOMPARE(list->item(19, 0)->checkState(), Qt::Checked);
        QCOMPARE(list->Text(19, 1), Tr(400));
        QCOMPARE(list->item(20, 0)->checkState(), Qt::Unchecked);

        ToggleState(list, 19);
        QCOMPARE(list->Text(19, 1), Tr(401));
        list->item(0, 0)->setCheckState(Qt::Unchecked);
        list->item(16, 0)->setCheckState(Qt::Checked);
        QVERIFY(page->IsModified());
        r.rig.Send();
        // The whole list goes out; the interfaces and 815 were not touched.
        QCOMPARE(r.rig.model.Writes(), (Writes{{800, 0}, {801, 0x8009}, {802, 1}, {803, 0x0008}}));
        QVERIFY(!page->IsModified());
    }

    void levelsAreClampedAndTheListGoesOutWhole() {
        Rig r(7, {{804, 30}, {805, 250}, {814, 0x8002}, {815, 12}});
        Maintenance* page = r.Open();
        QVERIFY(page);
        auto* list = Find<CMyListCtrl>(page, Maintenance::IdInterfaces);
        QCOMPARE(list->Text(0, 1), QStringLiteral("30"));
        QCOMPARE(list->Text(1, 1), QStringLiteral("100"));  // 250 from the device
        QCOMPARE(list->item(1, 0)->checkState(), Qt::Checked);

        CInPlaceEdit* e = list->EditSubLabel(2, 1);
        QVERIFY(e);
        QTest::keyClicks(e, QStringLiteral("150"));
        QTest::keyClick(e, Qt::Key_Enter);
        QCOMPARE(list->Text(2, 1), QStringLiteral("100"));
        list->item(3, 0)->setCheckState(Qt::Checked);
        r.rig.Send();
        QCOMPARE(r.rig.model.Writes(), (Writes{{804, 30}, {805, 100}, {806, 100}, {807, 0}, {814, 0x800A}}));
    }

    void checkBoxSwitchesAtOnceAndFollowsFailures() {
        Rig r(4, {{1101, 0}});
        Maintenance* page = r.Open();
        QVERIFY(page);
        auto* box = Find<QCheckBox>(page, Maintenance::IdMaintenance);
        QVERIFY(!box->isChecked());
        box->click();
        QVERIFY(page->InMaintenance());
        box->click();
        QCOMPARE(r.rig.model.Writes(), (Writes{{1058, 257}, {1058, 1}}));
        QVERIFY(!page->IsModified());

        CDeviceModel::Faults f;
        f.refuse = {1058};
        r.rig.model.SetFaults(f);
        r.rig.sheet->ActivatePage(page);
        box->click();
        QCOMPARE(r.rig.ui.MessageIds(), QList<int>{354});
        QVERIFY(!box->isChecked());
        QVERIFY(!page->InMaintenance());
    }

    void closingInMaintenanceAsks_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<int>>("messages");
        QTest::addColumn<Writes>("writes");
        QTest::newRow("No leaves it on") << 4 << int(Ui::IdNo) << QList<int>{332} << Writes{};
        QTest::newRow("Yes ends it") << 4 << int(Ui::IdYes) << QList<int>{332} << Writes{{1058, 1}};
        QTest::newRow("not in maintenance") << 0 << int(Ui::IdYes) << QList<int>{} << Writes{};
    }
    void closingInMaintenanceAsks() {
        QFETCH(int, mode);
        QFETCH(int, answer);
        QFETCH(QList<int>, messages);
        QFETCH(Writes, writes);
        Rig r(4, {{1101, mode}});
        Maintenance* page = r.Open();
        QVERIFY(page);
        QCOMPARE(page->InMaintenance(), mode == 4);
        r.rig.sheet->ActivatePage(r.rig.sheet->GeneralPage());  // not only the active page
        r.rig.ui.QueueAnswer(answer);
        r.rig.sheet->close();
        QCOMPARE(r.rig.ui.MessageIds(), messages);
        QCOMPARE(r.rig.model.Writes(), writes);
        QVERIFY(!r.rig.app.IsConnected());
    }
};

QTEST_MAIN(MaintenancePagesTest)
#include "MaintenancePages_test.moc"
