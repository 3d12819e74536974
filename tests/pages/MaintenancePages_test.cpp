// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance and reminder pages against the device model: rows per model, the two
// words of each socket list, levels clamped to 100, the mode switched at once, the question
// when the main window closes in maintenance mode; the reminders' words, due days, due
// state, spelt-out umlauts and failed writes.
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "lang/CLanguage.h"
#include "pages/system/CPropertyPageMaintenance.h"
#include "pages/system/CPropertyPageMemories.h"
#include "support/ControlInput.h"
#include "device/CControllerDefaults.h"
#include "device/CParameterListSeed.h"
#include "pages/system/CPropertyPageSystem.h"
#include "support/CSheetRig.h"
#include "support/TestPaths.h"
#include "ui/page/CPageTable.h"
#include "ui/controls/CInPlaceEdit.h"
#include "ui/controls/CMyListCtrl.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
using Maintenance = CPropertyPageMaintenance;
using Ui = CUserInteraction;
using Memories = CPropertyPageMemories;
constexpr int kToday = 9800;  // a day in 2026

int64_t Word(const char* two) {
    return uint8_t(two[0]) | uint8_t(two[1]) << 8;
}

template <class T>
T* At(QWidget* page, int id, int m) {
    return page->findChild<T*>(QString::number(Memories::ControlId(id, m)));
}

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
    template <class T = Maintenance>
    T* Open() {
        if (!rig.Connect()) return nullptr;
        rig.sheet->show();
        rig.model.ClearLog();
        auto* page = rig.Activate<T>();
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

    void reminderTextsAsWords() {
        QCOMPARE(Memories::TextWords(QStringLiteral("Filter"))[0], uint16_t(Word("Fi")));
        const auto words = Memories::TextWords(QStringLiteral("Filter"));
        QCOMPARE(words[2], uint16_t(Word("er")));
        for (int w = 3; w < 8; ++w) QCOMPARE(words[size_t(w)], uint16_t(0x2020));
        QCOMPARE(Memories::WordsText(words), QStringLiteral("Filter"));
        // Control bytes are never shown as such; NUL padding reads as blanks.
        QCOMPARE(Memories::WordsText({uint16_t('A' | 0x01 << 8), uint16_t(0x7F | 0xE9 << 8), 0, 0, 0, 0, 0, 0}),
                 QStringLiteral("A??\u00e9"));
        QCOMPARE(Memories::Spelt(QStringLiteral("Grüße Öl Äpfel Übung")), QStringLiteral("Gruesse Oel Aepf"));
    }

    void remindersReadShowAndLockTheDueOne() {
        Rig r(4, {{171, kToday},
                  {440, kToday}, {442, 30}, {443, Word("Wa")}, {444, Word("te")}, {445, Word("r ")},
                  {452, 65535}, {454, 7},
                  {464, kToday + 3}, {465, 1}, {466, 14},
                  {476, kToday + 40}, {478, 900}});
        Memories* page = r.Open<Memories>();
        QVERIFY(page);
        QList<int> order{171};
        for (int m = 0; m < 4; ++m)
            for (int n = 0; n < 11; ++n) order << Memories::Base(m) + n;
        QCOMPARE(r.rig.ReadNumbers(), order);

        // Reminder 1 is due: shown, not editable.
        QVERIFY(At<QLabel>(page, Memories::IdIndicator, 0)->isVisible());
        QVERIFY(!At<QCheckBox>(page, Memories::IdOn, 0)->isEnabled());
        QVERIFY(!At<QLineEdit>(page, Memories::IdText, 0)->isEnabled());
        QVERIFY(!At<CEditSpin>(page, Memories::IdInterval, 0)->isEnabled());
        QCOMPARE(At<QLineEdit>(page, Memories::IdText, 0)->text(), QStringLiteral("Water"));
        // Reminder 2 is off: only its box can be used; its due date is 1 January 1999.
        QVERIFY(!At<QCheckBox>(page, Memories::IdOn, 1)->isChecked());
        QVERIFY(At<QCheckBox>(page, Memories::IdOn, 1)->isEnabled());
        QVERIFY(!At<QCheckBox>(page, Memories::IdOption, 1)->isEnabled());
        QCOMPARE(At<QDateEdit>(page, Memories::IdDue, 1)->date(), QDate(1999, 1, 1));
        // Reminder 3 is on and not due.
        QVERIFY(!At<QLabel>(page, Memories::IdIndicator, 2)->isVisible());
        QVERIFY(At<QLineEdit>(page, Memories::IdText, 2)->isEnabled());
        QVERIFY(At<QCheckBox>(page, Memories::IdOption, 2)->isChecked());
        QCOMPARE(At<QDateEdit>(page, Memories::IdDue, 2)->date(), QDate(2000, 1, 1).addDays(kToday + 3));
        QVERIFY(!page->IsModified());
    }

    void remindersWriteDueDaysAndWords() {
        Rig r(4, {{171, kToday}, {440, kToday + 5}, {442, 5}, {452, 65535}, {454, 7},
                  {464, kToday + 3}, {466, 14}});
        Memories* page = r.Open<Memories>();
        QVERIFY(page);
        At<QCheckBox>(page, Memories::IdOn, 1)->click();  // on: today + 7
        QCOMPARE(At<QDateEdit>(page, Memories::IdDue, 1)->date(), QDate(2000, 1, 1).addDays(kToday + 7));
        TypeAndLeave(page, Memories::ControlId(Memories::IdInterval, 2), QStringLiteral("10"));
        QLineEdit* text = At<QLineEdit>(page, Memories::IdText, 2);
        text->setFocus();
        text->selectAll();
        QTest::keyClicks(text, QStringLiteral("Filter"));
        At<QCheckBox>(page, Memories::IdOn, 0)->click();  // off
        r.rig.Send();
        Writes expected{{440, 65535}, {452, kToday + 7}, {464, kToday + 10}, {466, 10},
                        {467, Word("Fi")}, {468, Word("lt")}, {469, Word("er")}};
        for (int n = 470; n <= 474; ++n) expected << qMakePair(n, int64_t(0x2020));
        QCOMPARE(r.rig.model.Writes(), expected);
    }

    void umlautsAreSpeltOutWhenTheFieldIsLeft() {
        Rig r(4, {{171, kToday}, {440, kToday + 1}, {442, 1}});
        Memories* page = r.Open<Memories>();
        QVERIFY(page);
        QLineEdit* text = At<QLineEdit>(page, Memories::IdText, 0);
        text->setFocus();
        for (QChar c : QStringLiteral("Düngerzugabe groß und mehr")) {
            // Typed as the keyboard sends it; the test keyboard knows no umlauts.
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(text, &press);
        }
        QCOMPARE(text->text(), QStringLiteral("Düngerzugabe gro"));  // cut while typing
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(text, &out);
        QCOMPARE(text->text(), QStringLiteral("Duengerzugabe gr"));
    }

    void failedReminderWriteStopsAndKeepsTheFlags() {
        Rig r(4, {{171, kToday}, {440, kToday + 1}, {442, 1}, {452, kToday + 2}, {454, 2}});
        Memories* page = r.Open<Memories>();
        QVERIFY(page);
        At<QCheckBox>(page, Memories::IdOn, 0)->click();
        At<QCheckBox>(page, Memories::IdOn, 1)->click();
        CDeviceModel::Faults f;
        f.refuse = {440};  // the write of "off" counts like any other
        r.rig.model.SetFaults(f);
        r.rig.Send();
        QCOMPARE(r.rig.ui.MessageIds(), QList<int>{354});
        QCOMPARE(r.rig.model.Writes(), (Writes{{440, 65535}}));  // refused; nothing after it
        QVERIFY(page->IsModified());
        r.rig.model.SetFaults({});
        r.rig.model.ClearLog();
        r.rig.sheet->ActivatePage(page);
        r.rig.Send();
        QCOMPARE(r.rig.model.Writes(), (Writes{{440, 65535}, {452, 65535}}));
        QVERIFY(!page->IsModified());
    }

    // What the emulator starts with: the shipped list, then the demo's controller as a whole.
    void demoControllerBringsThePagesToLife() {
        Rig r(4);
        QVERIFY(CParameterListSeed::SeedFromFolder(r.rig.model, TestPaths::SourceDir() + "/data/paralists").isEmpty());
        CControllerDefaults::ApplyControllerAsAWhole(r.rig.model.Controller(), kToday);
        r.rig.model.Controller().SetValue(171, kToday);
        Memories* memories = r.Open<Memories>();
        QVERIFY(memories);
        QVERIFY(memories->IsDue(0));
        QVERIFY(!memories->IsDue(1) && memories->IsOn(1) && !memories->IsOn(3));
        QCOMPARE(At<QLineEdit>(memories, Memories::IdText, 2)->text(), QStringLiteral("Replace UV lamp"));
        auto* system = r.rig.Activate<CPropertyPageSystem>();
        QVERIFY(system);
        QCOMPARE(int(system->Modules().size()), 2);
        QCOMPARE(system->Modules()[1].code, 36);
        // The module's inputs are the application's inputs 5 and 6.
        QCOMPARE(int(r.rig.app.Sensors()[4].type), 2);
        QCOMPARE(int(r.rig.app.Sensors()[5].type), 1);
        auto* maintenance = r.rig.Activate<Maintenance>();
        QVERIFY(maintenance);
        QCOMPARE(Find<CMyListCtrl>(maintenance, Maintenance::IdSockets)->Text(1, 1), Tr(401));
    }
};

QTEST_MAIN(MaintenancePagesTest)
#include "MaintenancePages_test.moc"
