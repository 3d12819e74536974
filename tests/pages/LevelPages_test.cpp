// SPDX-License-Identifier: GPL-3.0-or-later
// Both level pages against the device model: read and write orders, the flags word and the
// packed mode word, the two-channel modes, the channel dialog, live states, the alarm's
// clear command and the level function's start (1058), for two- and three-channel models.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <functional>

#include "support/ControlInput.h"
#include "lang/CLanguage.h"
#include "pages/level/CEditLevelSensor.h"
#include "pages/level/CPropertyPageLevel304.h"
#include "pages/level/CPropertyPageLevel408.h"
#include "support/CSheetRig.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CRecordList.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
using L8 = CPropertyPageLevel408;
using L3 = CPropertyPageLevel304;

CDeviceModel::Options At(int firmware, int productCode = 4) {
    CDeviceModel::Options o;
    o.firmware = firmware;
    o.productCode = productCode;
    return o;
}

template <class T>
T* Find(QWidget* w, int id) {
    return w->findChild<T*>(QString::number(id));
}

void WhenDialogOpens(std::function<void(CEditLevelSensor*)> step) {
    QTimer::singleShot(0, [step] {
        auto* d = qobject_cast<CEditLevelSensor*>(QApplication::activeModalWidget());
        QVERIFY(d);
        step(d);
        d->accept();
    });
}

// Selects the item of the dialog's mode list that carries mode.
void ChooseMode(CEditLevelSensor* d, int mode) {
    const auto& modes = d->Modes();
    const int index = int(std::find(modes.begin(), modes.end(), mode) - modes.begin());
    QVERIFY(index < int(modes.size()));
    Find<QComboBox>(d, CEditLevelSensor::IdMode)->setCurrentIndex(index);
}

void Seed408(CBusDevice& c) {
    // Channel 0: mode 1, count 2, number 3; channel 1: mode 4, option off; channel 2: mode 7.
    c.SetValue(760, 0x0211);
    c.SetValue(761, 30);
    c.SetValue(762, 3600);
    c.SetValue(763, 0x0C);
    c.SetValue(764, 5);
    c.SetValue(765, 90);
    c.SetValue(766, 0x47);
    c.SetValue(767, 240);
    c.SetValue(768, 28800);
}
}  // namespace

class LevelPagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void level408ReadsAndWritesPerChannel_data() {
        QTest::addColumn<int>("productCode");
        QTest::addColumn<int>("channels");
        QTest::newRow("Korvalis B, two channels") << 3 << 2;
        QTest::newRow("Korvalis D, three channels") << 4 << 3;
    }
    void level408ReadsAndWritesPerChannel() {
        QFETCH(int, productCode);
        QFETCH(int, channels);
        CSheetRig rig(At(408, productCode));
        Seed408(rig.model.Controller());
        QVERIFY(rig.Connect());
        rig.app.descriptionLists[2] = QStringList(channels, QString());
        rig.app.descriptionLists[2][0] = QStringLiteral("Sump");
        rig.model.ClearLog();
        auto* page = rig.Activate<L8>();
        QVERIFY(page && page->IsRead());
        QList<int> order;
        for (int n = 760; n < 760 + 3 * channels; ++n) order << n;
        QCOMPARE(rig.ReadNumbers(), order);
        auto* list = Find<CRecordList>(page, L8::IdChannels);
        QCOMPARE(list->topLevelItemCount(), channels);
        QCOMPARE(list->Text(0, 0), QStringLiteral("Level control 1"));
        QCOMPARE(list->Text(0, 1), Tr(406));
        QCOMPARE(list->Text(0, 2), QStringLiteral("2"));
        QCOMPARE(list->Text(0, 3), QStringLiteral("30s"));
        QCOMPARE(list->Text(0, 4), QStringLiteral("1:00:00"));
        QCOMPARE(list->Text(0, 5), QStringLiteral("Sump"));
        QCOMPARE(list->Text(1, 2), QStringLiteral("---"));  // mode 4 has no count
        QCOMPARE(Find<CEditSpin>(page, L8::IdNumber)->value(), 3.0);

        rig.model.ClearLog();
        page->MarkAllChanged();
        rig.Send();
        Writes all{{760, 0x0211}, {761, 30}, {762, 3600}, {763, 0x0C}, {764, 5}, {765, 90},
                   {766, 0x47}, {767, 240}, {768, 28800}};
        QCOMPARE(rig.model.Writes(), all.mid(0, 3 * channels));

        // The page-wide number goes into the first channel's flags only.
        TypeAndLeave(page, L8::IdNumber, QStringLiteral("8"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{760, 0x0711}, {761, 30}, {762, 3600}}));
    }

    void level408DialogAndTheTwoChannelModes() {
        CSheetRig rig(At(408));
        Seed408(rig.model.Controller());
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<L8>();
        // The second channel: mode 4, count 3, option off, from flags 0.
        rig.model.Controller().SetValue(763, 0);
        rig.Read();
        WhenDialogOpens([](CEditLevelSensor* d) {
            QCOMPARE(d->Modes(), (std::vector<int>{0, 1, 4, 7}));
            ChooseMode(d, 4);
            TypeAndLeave(d, CEditLevelSensor::IdCount, QStringLiteral("3"));
            Find<QCheckBox>(d, CEditLevelSensor::IdOption)->setChecked(false);
            Find<QTimeEdit>(d, CEditLevelSensor::IdTime)->setTime(QTime(9, 0, 0));  // beyond 8 h
        });
        QVERIFY(page->EditChannel(1));
        QCOMPARE(page->Channel(1).flags, 44u);
        QCOMPARE(page->Channel(1).time, 8 * 3600);

        // Mode 5 on the first channel takes the second with it; both go out.
        WhenDialogOpens([](CEditLevelSensor* d) {
            QCOMPARE(d->Modes(), (std::vector<int>{0, 1, 4, 7, 2, 3, 5, 6}));
            ChooseMode(d, 5);
        });
        QVERIFY(page->EditChannel(0));
        QCOMPARE(page->Channel(1).Mode(), 0);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{760, 0x0215}, {761, 30}, {762, 3600},
                                             {763, 0x28}, {764, 5}, {765, 8 * 3600}}));

        // An edit of the second channel frees the first channel's two-channel mode only
        // when it gives the second channel a mode of its own; a rename leaves both alone.
        struct Step {
            const char* name;
            std::function<void(CEditLevelSensor*)> edit;
            int firstMode;
            Writes writes;
        };
        const Step steps[] = {
            {"rename", [](CEditLevelSensor* d) {
                 QTest::keyClicks(Find<QLineEdit>(d, CEditLevelSensor::IdName), QStringLiteral("Reserve"));
             }, 5, Writes{{763, 0x28}, {764, 5}, {765, 8 * 3600}}},
            {"own mode", [](CEditLevelSensor* d) { ChooseMode(d, 1); }, 0,
             Writes{{760, 0x0210}, {761, 30}, {762, 3600}, {763, 0x29}, {764, 5}, {765, 8 * 3600}}},
        };
        for (const Step& step : steps) {
            WhenDialogOpens(step.edit);
            QVERIFY(page->EditChannel(1));
            QVERIFY2(page->Channel(0).Mode() == step.firstMode, step.name);
            rig.model.ClearLog();
            rig.Send();
            QVERIFY2(rig.model.Writes() == step.writes, step.name);
        }
        QCOMPARE(rig.app.descriptionLists[2].value(1), QStringLiteral("Reserve"));
    }

    void level408LiveStateAlarmAndFunction() {
        CSheetRig rig(At(408));
        Seed408(rig.model.Controller());
        CBusDevice& c = rig.model.Controller();
        c.SetValue(760, 0x0213);  // mode 3: the function switch is offered
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<L8>();
        auto* alarm = Find<QCheckBox>(page, L8::IdAlarm);
        auto* clear = Find<QPushButton>(page, L8::IdClearAlarm);
        auto* function = Find<QCheckBox>(page, L8::IdFunction);
        auto* states = Find<CRecordList>(page, L8::IdStates);
        QVERIFY(!clear->isEnabled());
        c.SetValue(1070, 0x0102);
        c.SetValue(1071, 0x19);
        c.SetValue(1072, 0);
        rig.model.ClearLog();
        page->RefreshTick();
        QCOMPARE(rig.ReadNumbers().mid(0, 3), (QList<int>{1070, 1071, 1072}));
        QCOMPARE((QStringList{states->Text(0, 1), states->Text(0, 2), states->Text(1, 1),
                              states->Text(1, 3), states->Text(1, 4)}),
                 (QStringList{"", "X", "X", "X", "X"}));
        QVERIFY(alarm->isChecked());
        QVERIFY(clear->isEnabled());
        QVERIFY(function->isChecked());
        QCOMPARE(Find<QLabel>(page, L8::IdStateText)->text(), Tr(361));
        c.SetValue(1070, 0x0700);  // a state number without a text
        page->RefreshTick();
        QCOMPARE(Find<QLabel>(page, L8::IdStateText)->text(), QStringLiteral("State 7"));
        QVERIFY(function->isChecked());

        rig.model.ClearLog();
        clear->click();
        function->click();  // off: no question
        QCOMPARE(rig.model.Writes(), (Writes{{1070, 0}, {1058, 0}}));
        rig.ui.QueueAnswer(CUserInteraction::IdNo);
        function->click();
        QVERIFY(!function->isChecked());
        rig.ui.QueueAnswer(CUserInteraction::IdYes);
        function->click();
        QCOMPARE(rig.ui.MessageIds(), (QList<int>{411, 411}));
        QCOMPARE(rig.model.Writes(), (Writes{{1070, 0}, {1058, 0}, {1058, 256}}));
    }

    void level304PackedModesAndOrders_data() {
        QTest::addColumn<int>("productCode");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QList<int>>("reads");
        QTest::addColumn<Writes>("writes");
        QTest::newRow("three channels, 4.01")
            << 4 << 401 << QList<int>{760, 761, 762, 768, 763, 764, 769, 765, 766}
            << Writes{{765, 1}, {763, 600}, {764, 700}, {769, 800}, {760, 0x3041},
                      {761, 10}, {762, 20}, {768, 30}, {766, 4}};
        QTest::newRow("two channels, 4.07 never touch 768 and 769")
            << 3 << 407 << QList<int>{760, 761, 762, 763, 764, 765, 766}
            << Writes{{765, 1}, {763, 600}, {764, 700}, {760, 0x3041}, {761, 10}, {762, 20}, {766, 4}};
    }
    void level304PackedModesAndOrders() {
        QFETCH(int, productCode);
        QFETCH(int, firmware);
        QFETCH(QList<int>, reads);
        QFETCH(Writes, writes);
        CSheetRig rig(At(firmware, productCode));
        CBusDevice& c = rig.model.Controller();
        const int values[] = {0, 10, 20, 600, 700, 1, 4, 0, 30, 800};
        for (int k = 0; k < 10; ++k) c.SetValue(760 + k, values[k]);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<L3>();
        QVERIFY(page && page->IsRead());
        QCOMPARE(rig.ReadNumbers(), reads);
        QVERIFY(!Find<QWidget>(page, L3::IdSelectionNumber)->isEnabled());
        // Modes 1, 4, 0; radio 1614; number 2.
        Find<QComboBox>(page, L3::IdMode1)->setCurrentIndex(1);
        Find<QComboBox>(page, L3::IdMode2)->setCurrentIndex(2);
        Find<QRadioButton>(page, L3::IdVariant2)->click();
        QVERIFY(Find<QWidget>(page, L3::IdSelectionNumber)->isEnabled());
        TypeAndLeave(page, L3::IdSelectionNumber, QStringLiteral("2"));
        QCOMPARE(Find<QWidget>(page, L3::IdMode3)->isEnabled(), productCode == 4);
        rig.model.ClearLog();
        page->MarkAllChanged();
        rig.Send();
        QCOMPARE(rig.model.Writes(), writes);
    }

    void level304ModeRulesStateAndCommands() {
        CSheetRig rig(At(400));
        CBusDevice& c = rig.model.Controller();
        c.SetValue(760, 0xF014);  // channel 2 in mode 1, an unknown mode 4 ... and bits above
        c.SetValue(760, 0xF914);  // channel 3 in mode 9: no such item
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<L3>();
        auto* first = Find<QComboBox>(page, L3::IdMode1);
        auto* second = Find<QComboBox>(page, L3::IdMode2);
        QCOMPARE(first->count(), 6);  // no mode 6 before 4.01
        QCOMPARE(Find<QComboBox>(page, L3::IdMode3)->currentIndex(), -1);
        QVERIFY(!Find<QWidget>(page, L3::IdVariant1)->isEnabled());
        QVERIFY(!Find<QWidget>(page, L3::IdFunction)->isEnabled());
        first->setCurrentIndex(4);  // mode 3 takes the second channel
        QCOMPARE(page->ModeOf(1), 0);
        QVERIFY(Find<QWidget>(page, L3::IdFunction)->isEnabled());
        second->setCurrentIndex(1);  // and a mode on the second channel frees the first
        QCOMPARE(page->ModeOf(0), 0);
        rig.model.ClearLog();
        rig.Send();
        // Unknown nibble and bits 12-15 go back as they came at 4.00.
        QCOMPARE(rig.model.Writes(), (Writes{{760, 0xF910}}));

        first->setCurrentIndex(5);  // mode 5
        c.SetValue(1070, 0x1011);
        c.SetValue(1071, 2);
        rig.model.ClearLog();
        page->RefreshTick();
        QCOMPARE(rig.ReadNumbers(), (QList<int>{1070, 1071}));
        for (const auto& [id, bit] : L3::kLamps)
            QCOMPARE(Find<QCheckBox>(page, id)->isChecked(), bit == 0 || bit == 4 || bit == 12);
        QVERIFY(Find<QWidget>(page, L3::IdClearAlarm)->isEnabled());
        QCOMPARE(Find<QLabel>(page, L3::IdStateText)->text(), Tr(362));
        c.SetValue(1071, 3);
        page->RefreshTick();
        QCOMPARE(Find<QLabel>(page, L3::IdStateText)->text(), QStringLiteral("State 3"));

        rig.model.ClearLog();
        Find<QPushButton>(page, L3::IdClearAlarm)->click();
        rig.ui.QueueAnswer(CUserInteraction::IdNo);
        Find<QPushButton>(page, L3::IdFunction)->click();
        rig.ui.QueueAnswer(CUserInteraction::IdYes);
        Find<QPushButton>(page, L3::IdFunction)->click();
        QCOMPARE(rig.model.Writes(), (Writes{{1070, 0}, {1058, 65280}}));
    }
};

QTEST_MAIN(LevelPagesTest)
#include "LevelPages_test.moc"
