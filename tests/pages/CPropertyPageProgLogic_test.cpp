// SPDX-License-Identifier: GPL-3.0-or-later
// The logic page against the device model: read and write order, the list's texts per
// logic function, and the editor's operands, time limits and input choice.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "support/ControlInput.h"
#include "app/CSwitchFunction.h"
#include "lang/CLanguage.h"
#include "pages/outputs/CEditProgLogic.h"
#include "pages/outputs/CEditSPF.h"
#include "pages/outputs/CPropertyPageProgLogic.h"
#include "support/CSheetRig.h"

namespace {
using Page = CPropertyPageProgLogic;
using Writes = QVector<QPair<int, int64_t>>;

template <class T>
T* Find(QWidget* parent, int id) {
    return parent->findChild<T*>(QString::number(id));
}

CProgLogicPara Record(int function, int inputs, int time) {
    CProgLogicPara r;
    r.input1 = inputs & 0xFF;
    r.input2 = (inputs >> 8) & 0xFF;
    r.function = static_cast<uint8_t>(function);
    r.time = static_cast<uint16_t>(time);
    return r;
}
}  // namespace

class CPropertyPageProgLogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        m_rig = new CSheetRig;
        QVERIFY(m_rig->Connect());
    }
    void cleanupTestCase() { delete m_rig; }

    void rowTexts_data() {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("inputs");
        QTest::addColumn<QStringList>("texts");
        const QString marker = QStringLiteral(" [") + Tr(327) + QLatin1Char(']');
        const QString timer1 = Tr(369) + QStringLiteral(" 1");
        const QString light2 = Tr(258) + QStringLiteral(" 2");
        QTest::newRow("delay with marked timer") << 0x47 << 0x2201 << QStringList{Tr(431), timer1 + marker, "---", "90s"};
        QTest::newRow("NOT ignores input 2") << 4 << 0x2201 << QStringList{Tr(428), timer1, "---", "---"};
        QTest::newRow("AND, marker on input 2") << 0x80 << 0x2001 << QStringList{Tr(424), timer1, light2 + marker, "---"};
        QTest::newRow("flip-flop") << 11 << 0x0001 << QStringList{Tr(435), timer1, Tr(258) + " 1", "---"};
        QTest::newRow("unknown function") << 13 << 0x0001 << QStringList{"13", timer1, Tr(258) + " 1", "---"};
    }
    void rowTexts() {
        QFETCH(int, function);
        QFETCH(int, inputs);
        QFETCH(QStringList, texts);
        QCOMPARE(Page::RowTexts(Record(function, inputs, 90)), texts);
    }

    void timeLimits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("time");
        QTest::newRow("0") << "0" << 1;
        QTest::newRow("40000") << "40000" << 28800;
        QTest::newRow("28800") << "28800" << 28800;
        QTest::newRow("leading digits") << "75s" << 75;
        QTest::newRow("no number") << "abc" << 1;
        QTest::newRow("huge") << "99999999999999" << 28800;
    }
    void timeLimits() {
        QFETCH(QString, typed);
        QFETCH(int, time);
        CEditProgLogic d(nullptr, Record(8, 0, 60));
        d.show();
        Find<QLineEdit>(&d, CEditProgLogic::IdOperand2)->setText(typed);
        d.accept();
        QCOMPARE(int(d.Record().time), time);
    }

    void changingToATimeFunctionShowsTheTime() {
        CEditProgLogic d(nullptr, Record(0, 0x0100, 321));
        d.show();
        auto* operand = Find<QLineEdit>(&d, CEditProgLogic::IdOperand2);
        QVERIFY(!operand->isEnabled());
        QVERIFY(Find<QPushButton>(&d, CEditProgLogic::IdChoose2)->isVisible());
        Find<QComboBox>(&d, CEditProgLogic::IdFunction)->setCurrentIndex(8);
        QVERIFY(!Find<QPushButton>(&d, CEditProgLogic::IdChoose2)->isVisible());
        QVERIFY(operand->isEnabled());
        QCOMPARE(operand->text(), QStringLiteral("321"));
        QCOMPARE(Find<QLabel>(&d, CEditProgLogic::IdLabel2)->text(), Tr(138));
        d.accept();
        QCOMPARE(int(d.Record().function), 8);
    }

    void unknownFunctionIsKept() {
        CEditProgLogic d(nullptr, Record(0xC0 | 13, 0, 60));
        d.show();
        QCOMPARE(Find<QComboBox>(&d, CEditProgLogic::IdFunction)->currentIndex(), -1);
        d.accept();
        QCOMPARE(int(d.Record().function), 0xC0 | 13);
    }

    void choosingALogicOutputStoresCode9() {
        CEditProgLogic d(nullptr, Record(0, 0, 60));
        d.show();
        WhenModalOpens<CEditSPF>([](CEditSPF* s) {
            QVERIFY(!Find<QWidget>(s, CEditSPF::IdName));
            auto* function = Find<QComboBox>(s, CEditSPF::IdFunction);
            function->setCurrentIndex(function->findData(9));
            auto* index = Find<QComboBox>(s, CEditSPF::IdIndex);
            index->setCurrentIndex(index->findData(2));
            Find<QCheckBox>(s, CEditSPF::IdMarker)->setChecked(true);
            s->accept();
        });
        QTest::mouseClick(Find<QPushButton>(&d, CEditProgLogic::IdChoose2), Qt::LeftButton);
        QCOMPARE(int(d.Record().input2), 9 | 2 << 5);
        QCOMPARE(int(d.Record().function), 0x80);
        QCOMPARE(Find<QLineEdit>(&d, CEditProgLogic::IdOperand2)->text(),
                 Tr(323) + QStringLiteral(" 3 [") + Tr(327) + QLatin1Char(']'));
    }

    void readsInOrderAndWritesAnEditedFunction() {
        CSheetRig& rig = *m_rig;
        CBusDevice& c = rig.model.Controller();
        for (int k = 0; k < 8; ++k) {
            c.SetValue(912 + 3 * k, 0x2201);
            c.SetValue(913 + 3 * k, k == 2 ? 0x47 : 0);
            c.SetValue(914 + 3 * k, 90);
        }
        rig.model.ClearLog();
        auto* page = rig.Activate<Page>();
        QVERIFY(page);
        QList<int> order;
        for (int n = 912; n < 936; ++n) order << n;
        QCOMPARE(rig.ReadNumbers(), order);
        auto* list = Find<QTreeWidget>(page, Page::IdList);
        QCOMPARE(list->topLevelItemCount(), 8);
        QCOMPARE(list->topLevelItem(2)->text(0), QStringLiteral("G3"));
        QCOMPARE(list->topLevelItem(2)->text(4), QStringLiteral("90s"));
        auto* edit = Find<QPushButton>(page, Page::IdEdit);
        QVERIFY(!edit->isEnabled());
        list->setCurrentItem(list->topLevelItem(5));
        QVERIFY(edit->isEnabled());
        WhenModalOpens<CEditProgLogic>([](CEditProgLogic* d) {
            Find<QComboBox>(d, CEditProgLogic::IdFunction)->setCurrentIndex(7);
            Find<QLineEdit>(d, CEditProgLogic::IdOperand2)->setText(QStringLiteral("40000"));
            Find<QLineEdit>(d, CEditProgLogic::IdName)->setText(QStringLiteral("Night"));
            d->accept();
        });
        QTest::mouseClick(edit, Qt::LeftButton);
        QCOMPARE(list->topLevelItem(5)->text(5), QStringLiteral("Night"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{927, 0x2201}, {928, 7}, {929, 28800}}));
        QVERIFY(!page->IsModified());
    }

private:
    CSheetRig* m_rig = nullptr;
};

QTEST_MAIN(CPropertyPageProgLogicTest)
#include "CPropertyPageProgLogic_test.moc"
