// SPDX-License-Identifier: GPL-3.0-or-later
// The socket page against the device model: the function texts, the function editor in its
// socket form, all 24 words read and written, the option and its question, and socket test
// mode with its clicks, refusals and the question when leaving.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "support/ControlInput.h"
#include "app/CSwitchFunction.h"
#include "lang/CLanguage.h"
#include "pages/outputs/CEditSPF.h"
#include "pages/outputs/CPropertyPageSwitchplugFunctions300.h"
#include "support/CSheetRig.h"
#include "ui/page/CEditSpin.h"

namespace {
using Page = CPropertyPageSwitchplugFunctions300;
using Writes = QVector<QPair<int, int64_t>>;

template <class T>
T* Find(QWidget* parent, int id) {
    return parent->findChild<T*>(QString::number(id));
}

QList<int> AllWords() {
    QList<int> n;
    for (int k = 0; k < 24; ++k) n << Page::WordParameter(k);
    return n;
}

void Select(Page* page, int row) {
    auto* list = Find<QTreeWidget>(page, Page::IdList);
    list->setCurrentItem(list->topLevelItem(row));
}

void ClickColumn0(Page* page, int row) {
    auto* list = Find<QTreeWidget>(page, Page::IdList);
    const QRect r = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(list->columnViewportPosition(0) + 20, r.center().y()));
}

struct Rig {
    explicit Rig(CDeviceModel::Options o = {}) : rig(o) {
        for (int k = 0; k < 24; ++k) rig.model.Controller().SetValue(Page::WordParameter(k), 30);
        rig.model.Controller().SetValue(Page::kStates, 0);
    }
    Page* Open() {
        if (!rig.Connect()) return nullptr;
        rig.sheet->show();
        rig.model.ClearLog();
        Page* page = rig.Activate<Page>();
        QApplication::processEvents();
        return page;
    }
    CSheetRig rig;
};
}  // namespace

class CPropertyPageSwitchplugFunctions300Test : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void functionTexts_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<QStringList>("parts");  // "#n" string n, "@t" title of type t's first input
        // Model D: input 1 pH, input 2 temperature.
        QTest::newRow("timer 3 with marker") << 37953 << QStringList{"#369", " 3 [", "#327", "]"};
        QTest::newRow("temperature input, second") << 35 << QStringList{"@1", " ", "#246"};
        QTest::newRow("pH input, second") << 3 << QStringList{"@2", " ", "#247"};
        QTest::newRow("pH input, first") << 2 << QStringList{"@2", " ", "#245"};
        QTest::newRow("alarm of input 2") << (5 | 1 << 5) << QStringList{"@1", " ", "#384"};
        QTest::newRow("input without a sensor") << (2 | 6 << 5) << QStringList{"#36210", " 7 ", "#245"};
        QTest::newRow("single function") << 24 << QStringList{"#393"};
        QTest::newRow("logic output 8") << (9 | 7 << 5) << QStringList{"#323", " 8"};
        QTest::newRow("code 13") << (13 | 2 << 5) << QStringList{" 3"};
        QTest::newRow("code 20") << 20 << QStringList{};
    }
    void functionTexts() {
        QFETCH(int, word);
        QFETCH(QStringList, parts);
        CSheetRig rig;
        QVERIFY(rig.Connect());
        QString text;
        for (const QString& p : parts)
            text += p.startsWith('#') ? Tr(p.mid(1).toInt())
                    : p.startsWith('@') ? CSensor::TypeName(p.mid(1).toInt()) + QStringLiteral(" 1")
                                        : p;
        QCOMPARE(SwitchFunctionText(CSwitchFunction::Code(word), CSwitchFunction::Index(word), CSwitchFunction::Marker(word)), text);
        QCOMPARE(CSwitchFunction::Value(37953), 10);
    }

    void readsAll24WordsAndWritesTheModelsOnFourSocketModel() {
        CDeviceModel::Options o;
        o.productCode = 7;
        Rig r(o);
        r.rig.model.Controller().SetValue(684, 37953);
        Page* page = r.Open();
        QVERIFY(page);
        QCOMPARE(r.rig.ReadNumbers(), AllWords() << 819);
        auto* list = Find<QTreeWidget>(page, Page::IdList);
        QCOMPARE(list->topLevelItemCount(), 4);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("S1"));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("10"));
        QVERIFY(!Find<QCheckBox>(page, Page::IdOption)->isEnabled());  // model F

        r.rig.model.ClearLog();
        page->MarkAllChanged();
        r.rig.Send();
        Writes expected;
        for (int n : {684, 685, 686, 687}) expected << qMakePair(n, int64_t(n == 684 ? 37953 : 30));
        expected << qMakePair(819, int64_t(0));
        QCOMPARE(r.rig.model.Writes(), expected);
    }

    void editorOpensOnSensorConditionAndHidesIndexForSingleFunctions() {
        Rig r;
        r.rig.model.Controller().SetValue(685, 35 | 0x100);
        Page* page = r.Open();
        QVERIFY(page);
        Select(page, 1);
        int seen = 0;
        WhenModalOpens<CEditSPF>([](CEditSPF* d) {
            auto* function = Find<QComboBox>(d, CEditSPF::IdFunction);
            auto* index = Find<QComboBox>(d, CEditSPF::IdIndex);
            QCOMPARE(function->currentData().toInt(), 32 + 1);
            QCOMPARE(index->currentData().toInt(), 3);
            QCOMPARE(d->windowTitle(), Tr(249) + QStringLiteral(" 2"));
            function->setCurrentIndex(function->findData(27));
            QVERIFY(index->isHidden());
            TypeAndLeave(d, CEditSPF::IdValue, QStringLiteral("75"));
            QCOMPARE(Find<CEditSpin>(d, CEditSPF::IdValue)->text(), QStringLiteral("60"));
            TypeAndLeave(d, CEditSPF::IdValue, QStringLiteral("-3"));
            QCOMPARE(Find<CEditSpin>(d, CEditSPF::IdValue)->text(), QStringLiteral("0"));
            TypeAndLeave(d, CEditSPF::IdValue, QStringLiteral("12"));
            Find<QCheckBox>(d, CEditSPF::IdMarker)->setChecked(true);
            Find<QLineEdit>(d, CEditSPF::IdName)->setText(QStringLiteral("Heater"));
            d->accept();
        }, &seen);
        QTest::mouseClick(Find<QPushButton>(page, Page::IdEdit), Qt::LeftButton);
        QCOMPARE(seen, 1);
        // Code 27, index 0, bit 8 kept, value 12, marker.
        QCOMPARE(page->Socket(1).function, uint16_t(27 | 0x100 | 12 << 9 | 0x8000));
        QCOMPARE(Find<QTreeWidget>(page, Page::IdList)->topLevelItem(1)->text(3), QStringLiteral("Heater"));
        r.rig.model.ClearLog();
        r.rig.Send();
        QCOMPARE(r.rig.model.Writes(), (Writes{{685, 27 | 0x100 | 12 << 9 | 0x8000}}));
    }

    void unofferedCodeIsKeptOnOk_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("word");
        QTest::newRow("digital input before 408") << 403 << (12 | 2 << 5 | 7 << 9);
        QTest::newRow("code 14") << 408 << (14 | 5 << 5);
        QTest::newRow("code 20") << 408 << (20 | 0x100);
        QTest::newRow("timer beyond the model") << 408 << (1 | 7 << 5);
        QTest::newRow("fourth function on a pH input") << 408 << 11;
        QTest::newRow("input without a sensor") << 408 << (3 | 6 << 5);
    }
    void unofferedCodeIsKeptOnOk() {
        QFETCH(int, firmware);
        QFETCH(int, word);
        CDeviceModel::Options o;
        o.firmware = firmware;
        o.productCode = 7;  // F: 4 timers
        Rig r(o);
        r.rig.model.Controller().SetValue(684, word);
        Page* page = r.Open();
        QVERIFY(page);
        CSPFPara rec = page->Socket(0);
        CEditSPF d(page, rec, 0, 222);
        d.show();
        d.accept();
        QCOMPARE(int(d.Record().function), word);
    }

    void optionAsksFirst() {
        Rig r;
        Page* page = r.Open();
        QVERIFY(page);
        auto* box = Find<QCheckBox>(page, Page::IdOption);
        r.rig.ui.QueueAnswer(CUserInteraction::IdNo);
        box->click();
        QVERIFY(!box->isChecked());
        QVERIFY(!page->IsModified());
        QCOMPARE(r.rig.ui.MessageIds(), QList<int>{198});
        r.rig.ui.QueueAnswer(CUserInteraction::IdYes);
        box->click();
        QVERIFY(box->isChecked());
        r.rig.Send();
        QCOMPARE(r.rig.model.Writes(), (Writes{{819, 1}}));
    }

    void testModeSwitchesSocketsByClicks() {
        Rig r;
        Page* page = r.Open();
        QVERIFY(page);
        Select(page, 0);
        auto* edit = Find<QPushButton>(page, Page::IdEdit);
        QVERIFY(edit->isEnabled());
        Find<QCheckBox>(page, Page::IdTestMode)->click();
        QVERIFY(page->InTestMode());
        QVERIFY(!edit->isEnabled());
        QCOMPARE(page->StateImage(2), 1);
        ClickColumn0(page, 2);
        QCOMPARE(page->StateImage(2), 2);
        ClickColumn0(page, 2);
        QCOMPARE(r.rig.model.Writes(), (Writes{{1101, 5}, {1188, 4}, {1188, 0}}));

        // Editing is refused in test mode, also by a double click.
        // (An editor would open inside the click and be seen by the watcher.)
        int seen = 0;
        QTimer* watcher = WhenModalOpens<CEditSPF>([](CEditSPF*) {}, &seen);
        auto* list = Find<QTreeWidget>(page, Page::IdList);
        const QRect row0 = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row0.center());
        QTest::mouseClick(Find<QPushButton>(page, Page::IdEdit), Qt::LeftButton);
        QCOMPARE(seen, 0);
        delete watcher;

        // A refused mask is not shown as sent: the click is undone, and the failure takes the
        // sheet's way (message, General page, where leaving asks about test mode).
        CDeviceModel::Faults f;
        f.refuse = {1188};
        r.rig.model.SetFaults(f);
        r.rig.model.ClearLog();
        r.rig.ui.QueueAnswer(CUserInteraction::IdNo);
        ClickColumn0(page, 1);
        QCOMPARE(page->StateImage(1), 1);
        QCOMPARE(r.rig.ui.MessageIds(), (QList<int>{354, 329}));
        QVERIFY(r.rig.sheet->LinkError());
        QCOMPARE(r.rig.sheet->ActivePage(), r.rig.sheet->GeneralPage());
        r.rig.model.SetFaults({});
        r.rig.sheet->ActivatePage(page);
        ClickColumn0(page, 1);
        QCOMPARE(page->StateImage(1), 2);
        QCOMPARE(r.rig.model.Controller().Value(1188), 2);

        // After Read in test mode the states are the sockets' own: the click that switches
        // the last socket off is sent.
        r.rig.Read();
        QVERIFY(page->InTestMode());
        QCOMPARE(page->ShownMask(), 2u);
        r.rig.model.ClearLog();
        ClickColumn0(page, 1);
        QCOMPARE(r.rig.model.Writes(), (Writes{{1188, 0}}));
        QCOMPARE(page->StateImage(1), 1);
    }

    void leavingInTestModeAsks() {
        Rig r;
        Page* page = r.Open();
        QVERIFY(page);
        Find<QCheckBox>(page, Page::IdTestMode)->click();
        r.rig.ui.QueueAnswer(CUserInteraction::IdNo);
        r.rig.sheet->ActivatePage(r.rig.sheet->GeneralPage());
        QCOMPARE(r.rig.ui.MessageIds(), QList<int>{329});
        QCOMPARE(r.rig.model.Controller().Value(1101), 5);
        r.rig.sheet->ActivatePage(page);
        r.rig.ui.QueueAnswer(CUserInteraction::IdYes);
        r.rig.sheet->ActivatePage(r.rig.sheet->GeneralPage());
        QCOMPARE(r.rig.model.Controller().Value(1101), 0);
        QVERIFY(!page->InTestMode());
        // Switched off when the page set goes, even after the answer No.
        r.rig.sheet->ActivatePage(page);
        Find<QCheckBox>(page, Page::IdTestMode)->click();
        QCOMPARE(r.rig.model.Controller().Value(1101), 5);
        r.rig.ui.QueueAnswer(CUserInteraction::IdNo);
        r.rig.Disconnect();
        QCOMPARE(r.rig.model.Controller().Value(1101), 0);
    }
};

QTEST_MAIN(CPropertyPageSwitchplugFunctions300Test)
#include "CPropertyPageSwitchplugFunctions300_test.moc"
