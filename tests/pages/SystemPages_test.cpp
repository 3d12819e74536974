// SPDX-License-Identifier: GPL-3.0-or-later
// The pages of the controller as a whole against the device model: the Display page's two
// check lists per model and sensor set, with the bits they do not show kept.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>

#include "lang/CLanguage.h"
#include "pages/system/CPropertyPageDisplay.h"
#include "support/CSheetRig.h"
#include "support/ControlInput.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;

template <class T>
T* Find(QWidget* parent, int id) {
    return parent->findChild<T*>(QString::number(id));
}

QStringList Items(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() + QLatin1Char('@') + list->item(i)->data(Qt::UserRole).toString();
    return out;
}

QList<int> Checked(QListWidget* list) {
    QList<int> out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) out << i;
    return out;
}

CDeviceModel::Options Model(int code, QVector<int> sensors = {}) {
    CDeviceModel::Options o;
    o.productCode = code;
    o.sensors = std::move(sensors);
    return o;
}
}  // namespace

class SystemPagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void displayListsFollowModelAndSensors_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QVector<int>>("sensors");
        // "%t n@bit": title of sensor type t numbered n; "#181@8": string 181, bit 8
        QTest::addColumn<QStringList>("second");
        QTest::newRow("D: built-in inputs and level") << 4 << QVector<int>{}
            << QStringList{"%2 1@0", "%1 1@1", "%5 1@2", "%3 1@3", "#181@8"};
        QTest::newRow("A: inputs 2 and 8, no level") << 2 << QVector<int>{0, 1, 0, 0, 0, 0, 0, 1}
            << QStringList{"%1 1@1", "%1 2@7"};
        QTest::newRow("C: unknown kind 6 gets no item") << 6 << QVector<int>{2, 6, 0, 0}
            << QStringList{"%2 1@0"};
    }
    void displayListsFollowModelAndSensors() {
        QFETCH(int, code);
        QFETCH(QVector<int>, sensors);
        QFETCH(QStringList, second);
        CSheetRig rig(Model(code, sensors));
        for (QString& s : second) {
            const int space = s.indexOf(QRegularExpression("[ @]"));
            const int n = s.mid(1, space - 1).toInt();
            if (s.startsWith('#')) s = Tr(n) + s.mid(space);
            if (s.startsWith('%')) s = CSensor::TypeName(n) + s.mid(space);
        }
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<CPropertyPageDisplay>();
        QVERIFY(page);
        QCOMPARE(rig.ReadNumbers(), (QList<int>{770, 771, 772, 773}));
        QStringList first;
        for (int n = 1; n <= 8; ++n) first << Tr(258) + QStringLiteral(" %1@%2").arg(n).arg(n - 1);
        first << Tr(325) + "@8" << Tr(326) + "@9" << Tr(115) + "@10";
        QCOMPARE(Items(Find<QListWidget>(page, CPropertyPageDisplay::IdFirstList)), first);
        QCOMPARE(Items(Find<QListWidget>(page, CPropertyPageDisplay::IdSecondList)), second);
    }

    void displayReadsEditsAndKeepsUnshownBits() {
        CSheetRig rig(Model(4));
        CBusDevice& c = rig.model.Controller();
        c.SetValue(770, 10);
        c.SetValue(771, 0x8000 | 0x400 | 0x2);   // bit 15 is no item
        c.SetValue(772, 0x20 | 0x100 | 0x1);     // bit 5: no sensor at input 6
        c.SetValue(773, 9);                      // no such entry
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageDisplay>();
        QVERIFY(page);
        auto* first = Find<QListWidget>(page, CPropertyPageDisplay::IdFirstList);
        auto* second = Find<QListWidget>(page, CPropertyPageDisplay::IdSecondList);
        QCOMPARE(Checked(first), (QList<int>{1, 10}));
        QCOMPARE(Checked(second), (QList<int>{0, 4}));
        QCOMPARE(Find<QComboBox>(page, CPropertyPageDisplay::IdSelection)->currentIndex(), -1);
        QVERIFY(!page->IsModified());

        rig.model.ClearLog();
        first->item(0)->setCheckState(Qt::Checked);
        first->item(10)->setCheckState(Qt::Unchecked);
        second->item(4)->setCheckState(Qt::Unchecked);
        TypeAndLeave(page, CPropertyPageDisplay::IdValue, QStringLiteral("75"));
        QVERIFY(page->IsModified());
        rig.Send();
        // 773 was not touched: an index the list does not have is not written.
        QCOMPARE(rig.model.Writes(), (Writes{{770, 60}, {771, 0x8003}, {772, 0x21}}));
        TypeAndLeave(page, CPropertyPageDisplay::IdValue, QStringLiteral("0"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{770, 1}}));
    }
};

QTEST_MAIN(SystemPagesTest)
#include "SystemPages_test.moc"
