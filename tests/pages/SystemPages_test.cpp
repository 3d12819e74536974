// SPDX-License-Identifier: GPL-3.0-or-later
// The pages of the controller as a whole against the device model: the System page's module
// reading, tree, properties, icons and commands; the Display page's two check lists per
// model and sensor set, with the bits they do not show kept.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QRegularExpression>
#include <QTest>

#include "lang/CLanguage.h"
#include "pages/system/CDownloadWarning.h"
#include "pages/system/CPropertyPageDisplay.h"
#include "pages/system/CPropertyPageGeneral.h"
#include "pages/system/CPropertyPageSystem.h"
#include "pages/system/CSystemIcons.h"
#include "ui/connections/CLantronixConfig.h"
#include "ui/page/CPageTable.h"
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

using Rows = QList<QPair<QString, QString>>;
using System = CPropertyPageSystem;

// Module k: connection kind, firmware version, code.
void SetModules(CBusDevice& c, int count, const QList<std::array<int, 3>>& modules) {
    c.SetValue(1129, count);
    for (int k = 0; k < modules.size(); ++k) {
        c.SetValue(1137 + k, modules[k][0]);
        c.SetValue(1154 + k, modules[k][1]);
        c.SetValue(1157 + k, modules[k][2]);
    }
}

QStringList Nodes(System* page) {
    QStringList out;
    QTreeWidgetItem* root = Find<QTreeWidget>(page, System::IdTree)->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) out << root->child(i)->text(0);
    return out;
}

void SelectNode(System* page, int child) {
    auto* tree = Find<QTreeWidget>(page, System::IdTree);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    tree->setCurrentItem(child < 0 ? root : root->child(child));
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
    void systemReadsAtMostThreeKnownModules_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QList<int>>("reads");
        QTest::addColumn<QStringList>("nodes");
        QTest::newRow("none") << 0 << QList<int>{} << QList<int>{1129} << QStringList{};
        QTest::newRow("LAN and pH with temperature") << 2 << QList<int>{3, 36}
            << QList<int>{1129, 1137, 1154, 1157, 1138, 1155, 1158} << QStringList{"LAN", "PH & TEMP"};
        QTest::newRow("unknown code gives no node") << 3 << QList<int>{2, 99, 0}
            << QList<int>{1129, 1137, 1154, 1157, 1138, 1155, 1158, 1139, 1156, 1159} << QStringList{"WLAN"};
        QTest::newRow("five reported, three read") << 5 << QList<int>{11, 12, 43}
            << QList<int>{1129, 1137, 1154, 1157, 1138, 1155, 1158, 1139, 1156, 1159}
            << QStringList{"4L", "ADIN", "PH & REDOX"};
    }
    void systemReadsAtMostThreeKnownModules() {
        QFETCH(int, count);
        QFETCH(QList<int>, codes);
        QFETCH(QList<int>, reads);
        QFETCH(QStringList, nodes);
        CSheetRig rig(Model(4));
        QList<std::array<int, 3>> modules;
        for (int code : codes) modules.append({1, 100, code});
        SetModules(rig.model.Controller(), count, modules);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<System>();
        QVERIFY(page);
        QCOMPARE(rig.ReadNumbers(), reads);
        QCOMPARE(Nodes(page), nodes);
        auto* root = Find<QTreeWidget>(page, System::IdTree)->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("Korvalis D"));
        QVERIFY(root->isExpanded());
        QVERIFY(root->isSelected());
        // More than the page shows is said in the controller's properties.
        const QString note = TrArg(33085, {QString::number(count), QStringLiteral("3")});
        QCOMPARE(page->Properties().contains(qMakePair(QString(), note)), count > 3);
        QVERIFY(rig.ui.MessageIds().isEmpty());
    }

    void systemFailedReadKeepsTheTree() {
        CSheetRig rig(Model(4));
        SetModules(rig.model.Controller(), 2, {{7, 102, 3}, {1, 104, 36}});
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<System>();
        QVERIFY(page);
        rig.model.Controller().SetValue(1129, 1);
        rig.model.Controller().beforeRead = [&rig](CBusDevice&, int n) {
            if (n != 1137) return;
            CDeviceModel::Faults f;
            f.dropRate = 1.0;
            rig.model.SetFaults(f);
        };
        rig.Read();
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QCOMPARE(Nodes(page), (QStringList{"LAN", "PH & TEMP"}));
        QCOMPARE(page->ReportedModules(), 2);
    }

    void systemPropertiesOfControllerAndModules() {
        CSheetRig rig(Model(4, {2, 1, 5, 3, 0, 0, 2, 1}));
        SetModules(rig.model.Controller(), 3, {{7, 102, 3}, {2, 0, 9}, {5, 104, 36}});
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<System>();
        QVERIFY(page);
        auto input = [](int n) { return CPageTable::NumberedCaption(Tr(196), n); };
        QCOMPARE(page->Properties(),
                 (Rows{{Tr(336), "Korvalis D"}, {Tr(284), Tr(289)}, {Tr(194), "4.08"}, {Tr(416), "3"},
                       {Tr(417), "3"}, {input(1), CSensor::TypeName(2)}, {input(2), CSensor::TypeName(1)},
                       {input(3), CSensor::TypeName(5)}, {input(4), CSensor::TypeName(3)},
                       {Tr(160), "6"}, {Tr(290), "8"}}));
        SelectNode(page, 0);
        QCOMPARE(page->Properties(), (Rows{{Tr(336), "LAN"}, {Tr(284), Tr(288)}, {Tr(194), "1.02"}}));
        SelectNode(page, 1);  // version 0 is not shown
        QCOMPARE(page->Properties(), (Rows{{Tr(336), "2L4S"}, {Tr(284), Tr(287)}, {Tr(160), "2"}, {Tr(290), "4"}}));
        SelectNode(page, 2);  // module 3 (k = 2) brings inputs 7 and 8; kind 5 has no text of its own
        QCOMPARE(page->Properties(),
                 (Rows{{Tr(336), "PH & TEMP"}, {Tr(284), TrArg(33084, {"5"})}, {Tr(194), "1.04"},
                       {input(7), CSensor::TypeName(2)}, {input(8), CSensor::TypeName(1)}}));
        QCOMPARE(System::KindText(0), Tr(285));
        QCOMPARE(System::KindText(1), Tr(286));
    }

    void systemButtonsFollowTheSelection() {
        CSheetRig rig(Model(4));
        SetModules(rig.model.Controller(), 3, {{7, 102, 3}, {1, 100, 36}, {7, 100, 2}});
        QVERIFY(rig.Connect());
        rig.sheet->show();
        auto* page = rig.Activate<System>();
        QVERIFY(page);
        auto* firmware = Find<QPushButton>(page, System::IdFirmware);
        auto* network = Find<QPushButton>(page, System::IdNetwork);
        QVERIFY(firmware->isEnabled());
        QVERIFY(!network->isEnabled());
        SelectNode(page, 1);
        QVERIFY(!firmware->isEnabled());
        QVERIFY(!network->isEnabled());

        // The network-module button opens the wireless settings for the module's index.
        for (int node : {0, 2}) {
            SelectNode(page, node);
            QVERIFY(network->isEnabled());
            int seen = 0;
            WhenModalOpens<CLantronixConfig>([](CLantronixConfig*) {}, &seen);
            network->click();
            QCOMPARE(seen, 1);
        }
        // A refused record has closed the link: the dialog closes, and the sheet says so and
        // leaves the connected pages.
        CDeviceModel::Faults refuse;
        refuse.refuse = {1141};
        rig.model.SetFaults(refuse);
        SelectNode(page, 0);
        WhenModalOpens<CLantronixConfig>([](CLantronixConfig* dlg) { dlg->accept(); });
        network->click();
        rig.Settle();
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QVERIFY(!rig.app.IsConnected());
        QCOMPARE(rig.sheet->PageCount(), 2);
        rig.model.SetFaults({});
        QVERIFY(rig.Connect());
        page = rig.Activate<System>();
        firmware = Find<QPushButton>(page, System::IdFirmware);
        // The firmware button starts the firmware command (its download warning comes first).
        SelectNode(page, -1);
        int seen = 0;
        WhenModalOpens<CDownloadWarning>([](CDownloadWarning*) {}, &seen);
        firmware->click();
        QCOMPARE(seen, 1);
    }

    void systemIconsByModelGroup() {
        const QList<QPair<int, CSystemIcons::Group>> groups{
            {3, CSystemIcons::GroupBD}, {4, CSystemIcons::GroupBD}, {7, CSystemIcons::GroupF},
            {2, CSystemIcons::GroupOther}, {5, CSystemIcons::GroupOther}, {6, CSystemIcons::GroupOther},
            {8, CSystemIcons::GroupOther}};
        for (const auto& [code, group] : groups) QCOMPARE(CSystemIcons::GroupOf(code), group);
        QImage pictures[3];
        for (int g = 0; g < 3; ++g) {
            pictures[g] = CSystemIcons::Controller(CSystemIcons::Group(g)).pixmap(32, 32).toImage();
            QVERIFY(!pictures[g].isNull());
        }
        QVERIFY(pictures[0] != pictures[1] && pictures[1] != pictures[2] && pictures[0] != pictures[2]);
        CSheetRig rig(Model(7));
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<System>();
        QVERIFY(page);
        QCOMPARE(Find<QTreeWidget>(page, System::IdTree)->topLevelItem(0)->icon(0).pixmap(32, 32).toImage(),
                 pictures[CSystemIcons::GroupF]);
    }

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
