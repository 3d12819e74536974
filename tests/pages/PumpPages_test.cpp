// SPDX-License-Identifier: GPL-3.0-or-later
// The current-pump and dosing-pump pages against the device model: read and write orders
// for both firmware generations, the group counts and texts, interval units, the pump
// dialogs, live outputs, names in the description files and untrusted device values.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/ControlInput.h"
#include "lang/CLanguage.h"
#include "pages/pumps/CEditCurrentPump.h"
#include "pages/pumps/CEditDosingPump.h"
#include "pages/pumps/CPropertyPageDosingPumps.h"
#include "pages/pumps/CPropertyPagePumps306.h"
#include "support/CSheetRig.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CRecordList.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
using P = CPropertyPagePumps306;

CDeviceModel::Options At(int firmware, int productCode = 4) {
    CDeviceModel::Options o;
    o.firmware = firmware;
    o.productCode = productCode;
    return o;
}

void SeedPumps(CBusDevice& c) {
    c.SetValue(710, 7);
    c.SetValue(711, 0x81);  // only bit 0 counts
    c.SetValue(860, 1);
    c.SetValue(861, 22 * 60);
    c.SetValue(862, 7 * 60);
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 5; ++j) c.SetValue(885 + 7 * k + j, j == 4 ? 1 : 10 * (k + 1) + j);
    for (int b : {865, 875}) {
        c.SetValue(b, 2);
        c.SetValue(b + 1, 4);
        c.SetValue(b + 2, 60);
        c.SetValue(b + 3, 120);
        c.SetValue(b + 4, 8);
        c.SetValue(b + 5, 0);
        c.SetValue(b + 6, 50);
        c.SetValue(b + 7, 12);
    }
}

template <class T>
T* Find(QWidget* w, int id) {
    return w->findChild<T*>(QString::number(id));
}

// Runs step on the dialog as soon as its event loop runs.
template <class D>
void WhenDialogOpens(std::function<void(D*)> step) {
    QTimer::singleShot(0, [step] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        QVERIFY(d);
        step(d);
    });
}

QList<int> PumpReadOrder(int firmware) {
    QList<int> order{710, 711, 860, 861, 862};
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 5; ++j) order << 885 + 7 * k + j;
    for (int b : {865, 875}) {
        order << b << b + 1 << b + 2 << b + 3 << b + 5 << b + 4;
        if (firmware >= 407) order << b + 7;
        order << b + 6;
    }
    return order;
}
}  // namespace

class PumpPagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void currentPumpsReadAndWriteInTheirOrders_data() {
        QTest::addColumn<int>("firmware");
        QTest::newRow("4.06: no interval high") << 406;
        QTest::newRow("4.07") << 407;
        QTest::newRow("4.08") << 408;
    }
    void currentPumpsReadAndWriteInTheirOrders() {
        QFETCH(int, firmware);
        CSheetRig rig(At(firmware));
        SeedPumps(rig.model.Controller());
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<P>();
        QVERIFY(page && page->IsRead());
        QCOMPARE(rig.ReadNumbers(), PumpReadOrder(firmware));
        QCOMPARE(Find<QWidget>(page, P::IdIntervalHigh1)->isHidden(), firmware < 407);
        QCOMPARE(Find<QWidget>(page, P::IdIntervalHigh2)->isHidden(), firmware < 407);
        QCOMPARE(page->Pump(1).level3, 22.0);
        auto* list = Find<CRecordList>(page, P::IdList);
        QCOMPARE(list->Text(1, 2), QStringLiteral("20%"));
        QCOMPARE(list->Text(1, 6), Tr(298));
        // Mode 4 shows the time pickers.
        QVERIFY(!Find<QWidget>(page, P::IdTimeA1)->isHidden());

        rig.model.ClearLog();
        page->MarkAllChanged();
        rig.Send();
        Writes expected{{710, 7}, {711, 1}, {860, 1}, {861, 22 * 60}, {862, 7 * 60}};
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 5; ++j) expected.append({885 + 7 * k + j, j == 4 ? 1 : 10 * (k + 1) + j});
        for (int b : {875, 865}) {
            expected.append({{b, 2}, {b + 1, 4}, {b + 2, 60}, {b + 3, 120}, {b + 5, 0}, {b + 4, 8}});
            if (firmware >= 407) expected.append({b + 7, 12});
            expected.append({b + 6, 50});
        }
        QCOMPARE(rig.model.Writes(), expected);
    }

    void groupCountsKeepFourPumpsAndNameThem() {
        CSheetRig rig(At(408));
        SeedPumps(rig.model.Controller());
        rig.model.Controller().SetValue(865, 1);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<P>();
        QCOMPARE(Find<QLabel>(page, P::IdGroupText1)->text(), QStringLiteral("Group 1: pumps 1"));
        QCOMPARE(Find<QLabel>(page, P::IdGroupText2)->text(), QStringLiteral("Group 2: pumps 2, 3"));
        rig.model.ClearLog();
        TypeAndLeave(page, P::IdCount1, QStringLiteral("3"));
        QCOMPARE(Find<CEditSpin>(page, P::IdCount2)->value(), 1.0);
        QCOMPARE(Find<QLabel>(page, P::IdGroupText1)->text(), QStringLiteral("Group 1: pumps 1, 2, 3"));
        QCOMPARE(Find<QLabel>(page, P::IdGroupText2)->text(), QStringLiteral("Group 2: pumps 4"));
        TypeAndLeave(page, P::IdCount2, QStringLiteral("4"));
        QCOMPARE(Find<CEditSpin>(page, P::IdCount1)->value(), 0.0);
        QCOMPARE(Find<QLabel>(page, P::IdGroupText1)->text(), Tr(307));
        rig.Send();
        // Group 2 goes first.
        QCOMPARE(rig.model.Writes(), (Writes{{875, 4}, {865, 0}}));
    }

    void intervalUnitsAndIntervalHigh() {
        CSheetRig rig(At(408));
        SeedPumps(rig.model.Controller());
        rig.model.Controller().SetValue(870, 2);
        rig.model.Controller().SetValue(869, 25);
        rig.model.Controller().SetValue(872, 40);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<P>();
        QCOMPARE(Find<CEditSpin>(page, P::IdIntervalLow1)->value(), 2.5);
        QCOMPARE(Find<CEditSpin>(page, P::IdIntervalHigh1)->value(), 4.0);
        TypeAndLeave(page, P::IdIntervalLow1, QStringLiteral("0.3"));
        QCOMPARE(Find<CEditSpin>(page, P::IdIntervalLow1)->value(), 0.4);
        TypeAndLeave(page, P::IdIntervalLow1, QStringLiteral("0.45"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{869, 4}}));

        // Unit 0: the interval high is raised to the low value; 1..60 typed.
        TypeAndLeave(page, P::IdIntervalLow2, QStringLiteral("8"));
        TypeAndLeave(page, P::IdIntervalHigh2, QStringLiteral("5"));
        QCOMPARE(Find<CEditSpin>(page, P::IdIntervalHigh2)->value(), 8.0);
        TypeAndLeave(page, P::IdIntervalHigh2, QStringLiteral("75"));
        QCOMPARE(Find<CEditSpin>(page, P::IdIntervalHigh2)->value(), 60.0);

        // A unit change resets both interval values.
        Find<QComboBox>(page, P::IdUnit1)->setCurrentIndex(0);
        QCOMPARE(Find<CEditSpin>(page, P::IdIntervalLow1)->value(), 10.0);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{879, 8}, {882, 60}, {870, 0}, {869, 10}, {872, 10}}));
    }

    // Interval high never lies below interval low, whichever was edited (group 1 holds
    // low 8 and high 12 in unit 0, or 2.5 and 4.0 in unit 2).
    void intervalPairStaysConsistent() {
        struct Case {
            int unit;
            int edited;
            const char* typed;
            Writes writes;
        };
        const Case cases[] = {
            {0, P::IdIntervalLow1, "20", {{869, 20}, {872, 20}}},
            {0, P::IdIntervalLow1, "3", {{869, 3}}},
            {0, P::IdIntervalHigh1, "5", {{872, 8}}},
            {2, P::IdIntervalLow1, "5.5", {{869, 55}, {872, 55}}},
            {2, P::IdIntervalHigh1, "6", {{872, 60}}},
        };
        for (const Case& c : cases) {
            CSheetRig rig(At(408));
            CBusDevice& d = rig.model.Controller();
            SeedPumps(d);
            d.SetValue(870, c.unit);
            d.SetValue(869, c.unit == 2 ? 25 : 8);
            d.SetValue(872, c.unit == 2 ? 40 : 12);
            QVERIFY(rig.Connect());
            auto* page = rig.Activate<P>();
            rig.model.ClearLog();
            TypeAndLeave(page, c.edited, QString::fromLatin1(c.typed));
            rig.Send();
            QCOMPARE(rig.model.Writes(), c.writes);
        }
    }

    void pumpDialogRaisesLevelsAndNamesAreKept() {
        CSheetRig rig(At(408));
        rig.app.dataFolder = m_dir.path();
        SeedPumps(rig.model.Controller());
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<P>();
        WhenDialogOpens<CEditCurrentPump>([](CEditCurrentPump* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Pump 2"));
            TypeAndLeave(d, CEditCurrentPump::IdLevel1, QStringLiteral("50"));
            TypeAndLeave(d, CEditCurrentPump::IdLevel3, QStringLiteral("20"));
            TypeAndLeave(d, CEditCurrentPump::IdLevel4, QStringLiteral("120"));
            Find<QComboBox>(d, CEditCurrentPump::IdMode)->setCurrentIndex(2);
            QTest::keyClicks(Find<QLineEdit>(d, CEditCurrentPump::IdName), QStringLiteral("Left, \"back\""));
            d->accept();
        });
        QVERIFY(page->EditPump(1));
        QCOMPARE(Find<CRecordList>(page, P::IdList)->Text(1, 4), QStringLiteral("50%"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{892, 50}, {893, 50}, {894, 50}, {895, 100}, {896, 2}}));
        rig.Read();
        QCOMPARE(page->Pump(1).name, QStringLiteral("Left, \"back\""));
        QCOMPARE(page->Pump(0).name, QString());
    }

    void liveOutputsOnTheTick() {
        CSheetRig rig(At(408));
        SeedPumps(rig.model.Controller());
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<P>();
        auto* list = Find<CRecordList>(page, P::IdList);
        QCOMPARE(list->Text(0, 1), QStringLiteral("---"));
        rig.model.ClearLog();
        page->RefreshTick();
        QCOMPARE(rig.ReadNumbers().mid(0, 4), (QList<int>{1080, 1081, 1082, 1083}));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(list->Text(k, 1), QString::number(rig.model.Controller().Value(1080 + k)) + "%");
    }

    void untrustedValuesShowAndOnlyTheListedRepairsGoOut() {
        CSheetRig rig(At(408));
        CBusDevice& c = rig.model.Controller();
        SeedPumps(c);
        c.SetValue(865, 9);
        c.SetValue(875, 7);
        c.SetValue(866, 200);  // no such mode
        c.SetValue(870, 9);    // no such unit
        c.SetValue(867, 300);
        c.SetValue(868, 100);  // time B before time A
        c.SetValue(889, 77);   // pump mode outside its list
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<P>();
        QCOMPARE(Find<QComboBox>(page, P::IdMode1)->currentIndex(), -1);
        QCOMPARE(Find<QComboBox>(page, P::IdUnit1)->currentIndex(), -1);
        QCOMPARE(Find<QLabel>(page, P::IdGroupText1)->text(), QStringLiteral("Group 1: pumps 1, 2, 3, 4"));
        QCOMPARE(Find<QLabel>(page, P::IdGroupText2)->text(), Tr(307));
        QCOMPARE(Find<CRecordList>(page, P::IdList)->Text(0, 6), QStringLiteral("77"));
        rig.model.ClearLog();
        TypeAndLeave(page, P::IdPercent1, QStringLiteral("60"));
        rig.Send();
        // The counts and time B are repaired; the mode and unit go back as they came.
        QCOMPARE(rig.model.Writes(), (Writes{{875, 0}, {868, 300}, {871, 60}}));
    }

    void dosingPumpsReadAllEightAndListTheModels_data() {
        QTest::addColumn<int>("productCode");
        QTest::addColumn<int>("rows");
        QTest::newRow("Korvalis D") << 4 << 8;
        QTest::newRow("Korvalis F") << 7 << 4;
    }
    void dosingPumpsReadAllEightAndListTheModels() {
        QFETCH(int, productCode);
        QFETCH(int, rows);
        CSheetRig rig(At(408, productCode));
        rig.app.dataFolder = m_dir.path();
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 3; ++j) rig.model.Controller().SetValue(828 + 3 * i + j, 10 * i + j + 1);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<CPropertyPageDosingPumps>();
        QVERIFY(page && page->IsRead());
        QList<int> order;
        for (int n = 828; n < 852; ++n) order << n;
        QCOMPARE(rig.ReadNumbers(), order);
        auto* list = Find<CRecordList>(page, CPropertyPageDosingPumps::IdList);
        QCOMPARE(list->topLevelItemCount(), rows);
        QCOMPARE(list->Text(3, 2), QStringLiteral("32"));
        QCOMPARE(page->Pump(7).valueC, 73.0);

        WhenDialogOpens<CEditDosingPump>([](CEditDosingPump* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Dosing pump 4"));
            TypeAndLeave(d, CEditDosingPump::IdValueB, QStringLiteral("1000"));
            TypeAndLeave(d, CEditDosingPump::IdValueA, QStringLiteral("0"));
            TypeAndLeave(d, CEditDosingPump::IdValueC, QStringLiteral("30"));
            Find<QLineEdit>(d, CEditDosingPump::IdName)->clear();
            QTest::keyClicks(Find<QLineEdit>(d, CEditDosingPump::IdName), QStringLiteral("Iron"));
            d->accept();
        });
        QVERIFY(page->EditPump(3));
        QCOMPARE(list->Text(3, 2), QStringLiteral("1000"));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{837, 1}, {838, 1000}, {839, 24}}));
        // Everything the page can write is the model's pumps only.
        page->MarkAllChanged();
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes().size(), 3 * rows);
        QFile file(m_dir.path() + "/123456/DosingPumpsDescriptions.dat");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\r\n\r\n\r\nIron\r\n\r\n\r\n\r\n\r\n"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(PumpPagesTest)
#include "PumpPages_test.moc"
