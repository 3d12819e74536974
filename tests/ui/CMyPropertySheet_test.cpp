// SPDX-License-Identifier: GPL-3.0-or-later
// The main sheet: page set per model and firmware, tree, buttons, menu, connect and
// disconnect with messages 169, 179 and 404, and the rules that keep transfers safe.
#include <QAction>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/CTimerStop.h"
#include "base/ModelInfo.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "support/CSheetRig.h"
#include "ui/sheet/CBrowser.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CPageTable.h"

namespace {
using Ui = CUserInteraction;
using Writes = QVector<QPair<int, int64_t>>;

// Stands in for every page class of the table, so the whole set can be checked.
class CPlainPage : public CMyPropertyPage {
    Q_OBJECT
public:
    double value = 0;

protected:
    void CreateControls() override { BindEditSpin(1500, value, 1500, 1, 0, 1000); }
    int ReadCount() const override { return 1; }
    bool ReadValues() override { return ReadValue(1500 + InstanceIndex(), value); }
    bool WriteValues() override { return WriteIfChanged(1500, 1500 + InstanceIndex(), value); }
};

void RegisterEveryPage() {
    QStringList classes;
    for (const CPageTable::Row& row : CPageTable::Rows())
        if (*row.className) classes << QLatin1String(row.className);
    classes << QStringLiteral("CPropertyPageLevel304");
    for (int type = 0; type <= 10; ++type)
        if (!CPageTable::SensorPageClass(type).isEmpty())
            classes << CPageTable::SensorPageClass(type);
    for (const QString& c : classes) CPageRegistry::Register(c, [] { return new CPlainPage; });
}

CDeviceModel::Options Opts(int product, int firmware = 408, QVector<int> sensors = {}) {
    CDeviceModel::Options o;
    o.productCode = product;
    o.firmware = firmware;
    o.sensors = sensors;
    return o;
}

QStringList Classes(const CMyPropertySheet& sheet) {
    QStringList c;
    for (const CMyPropertyPage* p : sheet.Pages()) c << p->ClassName();
    return c;
}

CPlainPage* Plain(CMyPropertyPage* p) {
    return qobject_cast<CPlainPage*>(p);
}

void Edit(CMyPropertyPage* page, double value) {
    page->findChild<QDoubleSpinBox*>(QStringLiteral("1500"))->setValue(value);
}
}  // namespace

class CMyPropertySheetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { RegisterEveryPage(); }

    void numberedCaptions() {
        QCOMPARE(CPageTable::NumberedCaption(QStringLiteral("Timer"), 3),
                 QStringLiteral("Timer 3"));
        QCOMPARE(CPageTable::NumberedCaption(QStringLiteral("Kanal 1"), 2),
                 QStringLiteral("Kanal 2"));
        QCOMPARE(CPageTable::NumberedCaption(QStringLiteral("Light "), 4),
                 QStringLiteral("Light 4"));
        QCOMPARE(CPageTable::NumberedCaption(QStringLiteral("Out12"), 5), QStringLiteral("Out 5"));
    }

    void disconnectedSheetHasGeneralAndEmail() {
        CSheetRig rig;
        QCOMPARE(rig.Captions(),
                 (QStringList{QStringLiteral("General"), QStringLiteral("E-mail alerts")}));
        QCOMPARE(rig.sheet->ActivePage(), rig.sheet->GeneralPage());
        QVERIFY(!rig.sheet->Button(CMyPropertySheet::IdBack)->isEnabled());
        QVERIFY(rig.sheet->Button(CMyPropertySheet::IdNext)->isEnabled());
        QVERIFY(!rig.sheet->Button(CMyPropertySheet::IdSend)->isEnabled());
        QVERIFY(!rig.sheet->Button(CMyPropertySheet::IdRead)->isEnabled());
        QTest::mouseClick(rig.sheet->Button(CMyPropertySheet::IdNext), Qt::LeftButton);
        QCOMPARE(rig.sheet->ActivePage(), rig.sheet->Page(1));
        QVERIFY(rig.sheet->Button(CMyPropertySheet::IdBack)->isEnabled());
        QVERIFY(!rig.sheet->Button(CMyPropertySheet::IdNext)->isEnabled());
        // Nothing is read while disconnected.
        QVERIFY(rig.model.Log().isEmpty());
        QVERIFY(rig.ui.shown.isEmpty());
    }

    void pageSetFollowsModelAndFirmware_data() {
        QTest::addColumn<int>("product");
        QTest::addColumn<int>("firmware");
        int count = 0;
        const ModelInfo* rows = ModelInfo::Rows(count);
        for (int i = 0; i < count; ++i)
            for (int fw : {401, 404, 407, 408})
                QTest::addRow("%s fw%d", rows[i].displayName, fw) << int(rows[i].productCode) << fw;
    }
    void pageSetFollowsModelAndFirmware() {
        QFETCH(int, product);
        QFETCH(int, firmware);
        CSheetRig rig(Opts(product, firmware));
        QVERIFY(rig.Connect());
        const ModelInfo* m = ModelInfo::Find(product);
        const QStringList classes = Classes(*rig.sheet);
        QCOMPARE(classes.first(), QStringLiteral("CPropertyPageGeneral"));
        QCOMPARE(classes.count(QStringLiteral("CPropertyPageIllumination")),
                 int(m->illuminationChannels));
        QCOMPARE(classes.count(QStringLiteral("CPropertyPageTimers305")), int(m->timers));
        QCOMPARE(classes.contains(QStringLiteral("CPropertyPageSpecialLamp")), firmware >= 402);
        QCOMPARE(classes.contains(QStringLiteral("CPropertyPageVariableIllumination")),
                 firmware >= 405);
        QCOMPARE(classes.contains(QStringLiteral("CPropertyPageDigitalInput")), firmware >= 408);
        QCOMPARE(classes.contains(QStringLiteral("CPropertyPageLevel408")),
                 m->levelChannels != 0 && firmware >= 408);
        QCOMPARE(classes.contains(QStringLiteral("CPropertyPageLevel304")),
                 m->levelChannels != 0 && firmware < 408);
        QVERIFY(!classes.contains(QStringLiteral("CPropertyPageSWMBus")));
        QVERIFY(!classes.contains(QStringLiteral("CPropertyPageSMSModule")));
        QCOMPARE(classes.last(), QStringLiteral("CPropertyPageEmail"));
        // Numbered families: captions 1..n and instance indexes 0..n-1.
        const CMyPropertyPage* first =
            rig.sheet->FindPage(QStringLiteral("CPropertyPageTimers305"), 0);
        const CMyPropertyPage* last =
            rig.sheet->FindPage(QStringLiteral("CPropertyPageTimers305"), m->timers - 1);
        QCOMPARE(first->Caption(), QStringLiteral("Timer 1"));
        QCOMPARE(last->Caption(), QStringLiteral("Timer %1").arg(m->timers));
        QCOMPARE(rig.sheet->FindPage(QStringLiteral("CPropertyPageIllumination"), 7)->Caption(),
                 QStringLiteral("Illumination 8"));
        for (int k = 0; k < rig.sheet->PageCount(); ++k) {
            QCOMPARE(rig.sheet->Page(k)->IsFirst(), k == 0);
            QCOMPARE(rig.sheet->Page(k)->IsLast(), k == rig.sheet->PageCount() - 1);
        }
    }

    void serviceModeAndSmsModuleAddTheirPages() {
        CDeviceModel::Options o = Opts(4);
        o.sms = true;
        CSheetRig rig(o);
        rig.app.serviceMode = true;
        rig.connection.smsModule = true;
        QVERIFY(rig.Connect());
        const QStringList classes = Classes(*rig.sheet);
        QVERIFY(classes.contains(QStringLiteral("CPropertyPageSWMBus")));
        QVERIFY(classes.indexOf(QStringLiteral("CPropertyPageSMSModule")) ==
                classes.indexOf(QStringLiteral("CPropertyPageProgLogic")) + 1);
    }

    void sensorPagesFollowTheInputs() {
        CSheetRig rig(Opts(4, 408, {1, 0, 6, 2}));
        QVERIFY(rig.Connect());
        QList<const CMyPropertyPage*> sensors;
        for (const CMyPropertyPage* p : rig.sheet->Pages())
            if (p->Sensor()) sensors << p;
        QCOMPARE(sensors.size(), 2);
        QCOMPARE(sensors[0]->ClassName(), QStringLiteral("CPropertyPageTemperature"));
        QCOMPARE(sensors[0]->InstanceIndex(), 0);
        QCOMPARE(sensors[0]->Sensor(), &rig.app.Sensors()[0]);
        QCOMPARE(sensors[0]->Caption(), rig.app.Sensors()[0].title);
        QCOMPARE(sensors[1]->ClassName(), QStringLiteral("CPropertyPagepHValue"));
        QCOMPARE(sensors[1]->InstanceIndex(), 3);
        QCOMPARE(sensors[1]->GroupText(), QStringLiteral("Sensors"));
    }

    void treeGroupsPagesAndActivates() {
        CSheetRig rig(Opts(4));
        QVERIFY(rig.Connect());
        CBrowser* tree = rig.sheet->Tree();
        QStringList top;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) top << tree->topLevelItem(i)->text(0);
        QCOMPARE(top,
                 (QStringList{"General", "Illumination", "Timers", "Pumps", "Sensors", "Display",
                              "Remote control", "System", "Programmable logic", "E-mail alerts"}));
        QTreeWidgetItem* illumination = tree->FindTopLevel(QStringLiteral("Illumination"));
        QVERIFY(!CBrowser::PageOf(illumination));
        QCOMPARE(illumination->childCount(), 8 + 7);
        QTreeWidgetItem* system = tree->FindTopLevel(QStringLiteral("System"));
        QCOMPARE(CBrowser::PageOf(system),
                 rig.sheet->FindPage(QStringLiteral("CPropertyPageSystem")));
        QCOMPARE(system->childCount(), 3);
        QCOMPARE(CBrowser::PageOf(system->child(2)),
                 rig.sheet->FindPage(QStringLiteral("CPropertyPageDigitalInput")));

        // Selecting a page's item activates (and reads) it; the item follows activations.
        rig.model.ClearLog();
        CMyPropertyPage* timer2 = rig.sheet->FindPage(QStringLiteral("CPropertyPageTimers305"), 1);
        tree->setCurrentItem(timer2->TreeItem());
        QCOMPARE(rig.sheet->ActivePage(), timer2);
        QCOMPARE(rig.ReadNumbers(), QList<int>{1501});
        rig.sheet->ActivatePage(0);
        QCOMPARE(tree->currentItem(), rig.sheet->GeneralPage()->TreeItem());
        tree->setCurrentItem(illumination);
        QCOMPARE(rig.sheet->ActivePage(), rig.sheet->GeneralPage());
    }

    void rereadAsksOnlyForModifiedPage() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        CMyPropertyPage* page = rig.Activate(QStringLiteral("CPropertyPageDisplay"));
        rig.model.ClearLog();
        rig.Read();
        QVERIFY(rig.ui.shown.isEmpty());
        QCOMPARE(rig.ReadNumbers(), QList<int>{1500});

        Edit(page, 42);
        QVERIFY(page->IsModified());
        rig.model.ClearLog();
        rig.ui.QueueAnswer(Ui::IdNo);
        rig.Read();
        QCOMPARE(rig.ui.MessageIds(), QList<int>{169});
        QCOMPARE(rig.ui.shown[0].icon, Ui::Icon::Warning);
        QVERIFY(rig.ReadNumbers().isEmpty());
        QCOMPARE(Plain(page)->value, 42.0);

        rig.ui.QueueAnswer(Ui::IdYes);
        rig.Read();
        QCOMPARE(rig.ReadNumbers(), QList<int>{1500});
        QVERIFY(!page->IsModified());
        QVERIFY(!rig.sheet->Button(CMyPropertySheet::IdSend)->isEnabled());
    }

    void disconnectAndCloseAsk179WithChanges() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        const int connectedPages = rig.sheet->PageCount();
        QVERIFY(connectedPages > 20);
        Edit(rig.Activate(QStringLiteral("CPropertyPageDisplay")), 5);
        rig.ui.QueueAnswer(Ui::IdNo);
        QVERIFY(rig.sheet->RunCommand(40025));
        QCOMPARE(rig.ui.MessageIds(), QList<int>{179});
        QVERIFY(rig.app.IsConnected());
        QCOMPARE(rig.sheet->PageCount(), connectedPages);

        // Closing asks the same question; No keeps the program open and connected.
        rig.sheet->show();
        rig.ui.QueueAnswer(Ui::IdNo);
        rig.sheet->close();
        QVERIFY(rig.sheet->isVisible());
        QVERIFY(rig.app.IsConnected());

        rig.ui.QueueAnswer(Ui::IdYes);
        QVERIFY(rig.sheet->DisconnectController(true));
        QVERIFY(!rig.app.IsConnected());
        QCOMPARE(rig.sheet->PageCount(), 2);
        QCOMPARE(rig.ui.MessageIds(), (QList<int>{179, 179, 179}));
        QVERIFY(!rig.sheet->Button(CMyPropertySheet::IdRead)->isEnabled());
        // Left from another page, the rebuilt set really activates the General page: its
        // refresh runs again (blinking button, clock, the link-error disconnect).
        CMyPropertyPage* general = rig.sheet->Page(0);
        QCOMPARE(rig.sheet->ActivePage(), general);
        QVERIFY(general->IsActive());
        QVERIFY(general->IsRefreshing());
        QVERIFY(rig.sheet->ActivatePage(rig.sheet->Page(1)));
        QVERIFY(!general->IsRefreshing());
        QVERIFY(rig.sheet->RunCommand(40025));
        QVERIFY(rig.app.IsConnected());
        QCOMPARE(rig.sheet->ActivePage(), rig.sheet->Page(0));
        QVERIFY(rig.sheet->Page(0)->IsActive());
        QVERIFY(rig.sheet->Page(0)->IsRefreshing());
        QVERIFY(rig.sheet->DisconnectController(false));
        QCOMPARE(rig.ui.shown.size(), 3);

        // Disconnected: closing never asks.
        rig.sheet->close();
        QVERIFY(!rig.sheet->isVisible());
        QCOMPARE(rig.sheet->result(), 0);
        QCOMPARE(rig.ui.shown.size(), 3);
    }

    void failedConnectOffersConnections() {
        CSheetRig rig;
        int dialogs = 0;
        CMyPropertySheet::SetConnectionsDialogHandler([&](CMyPropertySheet&) {
            ++dialogs;
            return false;
        });
        CDeviceModel::Faults f;
        f.dropRate = 1.0;
        rig.model.SetFaults(f);
        rig.ui.QueueAnswer(Ui::IdYes);
        QVERIFY(!rig.Connect());
        // The message names the cause: a device that does not answer.
        QCOMPARE(rig.ui.MessageIds(), QList<int>{6213});
        QVERIFY2(rig.ui.shown[0].text.contains(QStringLiteral("status 40")), qPrintable(rig.ui.shown[0].text));
        QCOMPARE(dialogs, 1);
        QCOMPARE(rig.sheet->PageCount(), 2);

        // A firmware below 400 says so itself and offers nothing more.
        rig.model.SetFaults({});
        rig.model.Controller().SetValue(0, 399);
        rig.ui.shown.clear();
        QVERIFY(!rig.Connect());
        QCOMPARE(rig.ui.MessageIds(), QList<int>{334});
        QCOMPARE(dialogs, 1);
        CMyPropertySheet::SetConnectionsDialogHandler({});
    }

    void disconnectBelowTheSheetRebuildsThePageSet() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        CMyPropertyPage* page = rig.Activate(QStringLiteral("CPropertyPageDisplay"));
        CDeviceModel::Faults f;
        f.refuse = {700};
        rig.model.SetFaults(f);
        // A refused text write disconnects the application at once.
        QVERIFY(page->WriteTextParam(700, QByteArray("Tank")) != 0);
        QVERIFY(!rig.app.IsConnected());
        CSheetRig::Settle();
        QVERIFY(!rig.sheet->PageSetIsConnected());
        QCOMPARE(rig.sheet->PageCount(), 2);
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QVERIFY(!rig.sheet->Button(CMyPropertySheet::IdRead)->isEnabled());
    }

    void transferInProgressFreezesTheWindow() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        CMyPropertyPage* display = rig.sheet->FindPage(QStringLiteral("CPropertyPageDisplay"));
        int alerts = 0;
        CMyPropertySheet::SetAlertCycleHandler([&](CMyPropertySheet&) { ++alerts; });
        {
            CTimerStop stop;
            QVERIFY(!rig.sheet->RunCommand(40025));
            QVERIFY(!rig.sheet->DisconnectController(false));
            QVERIFY(rig.app.IsConnected());
            rig.sheet->Tree()->setCurrentItem(display->TreeItem());
            QCOMPARE(rig.sheet->ActivePage(), rig.sheet->GeneralPage());
            QCOMPARE(rig.sheet->Tree()->currentItem(), rig.sheet->GeneralPage()->TreeItem());
            rig.sheet->RunAlertCycle();
            QCOMPARE(alerts, 0);
            // Key and mouse input to the main window is dropped.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            QVERIFY(
                !QCoreApplication::sendEvent(rig.sheet->Button(CMyPropertySheet::IdRead), &press) ||
                press.isAccepted());
            QSignalSpy clicked(rig.sheet->Button(CMyPropertySheet::IdHelp), &QPushButton::clicked);
            rig.sheet->show();
            QTest::mouseClick(rig.sheet->Button(CMyPropertySheet::IdHelp), Qt::LeftButton);
            QCOMPARE(clicked.count(), 0);
        }
        rig.sheet->RunAlertCycle();
        QCOMPARE(alerts, 1);
        QVERIFY(rig.sheet->RunCommand(40025));
        QVERIFY(!rig.app.IsConnected());
        CMyPropertySheet::SetAlertCycleHandler({});
    }

    void sendStopsAtTheFirstFailingPage() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        CMyPropertyPage* display = rig.Activate(QStringLiteral("CPropertyPageDisplay"));
        CMyPropertyPage* remote = rig.Activate(QStringLiteral("CPropertyPageRemote"));
        Edit(display, 7);
        Edit(remote, 9);
        CDeviceModel::Faults f;
        f.refuse = {1500};
        rig.model.SetFaults(f);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{1500, 7}}));
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QVERIFY(display->IsModified() && remote->IsModified());
        rig.model.SetFaults({});
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{1500, 7}, {1500, 9}}));
        QVERIFY(!rig.sheet->AnyPageModified());
    }

    void menuTextsAndStates() {
        CSheetRig rig;
        QAction* connect = rig.sheet->CommandAction(40025);
        QVERIFY(connect);
        auto refresh = [&] {
            for (QMenu* m : rig.sheet->MenuBar()->findChildren<QMenu*>()) Q_EMIT m->aboutToShow();
        };
        refresh();
        QCOMPARE(connect->text(), Tr(177));
        QVERIFY(rig.sheet->CommandAction(40029)->isEnabled());
        QVERIFY(!rig.sheet->CommandAction(40014)->isEnabled());
        QVERIFY(!rig.sheet->CommandAction(40026)->isEnabled());
        QVERIFY(rig.sheet->CommandAction(40012)->isEnabled());
        QVERIFY(rig.Connect());
        refresh();
        QCOMPARE(connect->text(), Tr(178));
        QVERIFY(!rig.sheet->CommandAction(40029)->isEnabled());
        QVERIFY(rig.sheet->CommandAction(40014)->isEnabled());
        QCOMPARE(rig.sheet->CommandAction(40014)->text(), Tr(459));
        QVERIFY(rig.sheet->CommandAction(40027)->isEnabled());
        QVERIFY(!rig.sheet->CommandAction(40012)->isEnabled());
        QVERIFY(!rig.sheet->RunCommand(40012));
        QVERIFY(!rig.app.simulationMode);
        {
            CTimerStop stop;
            refresh();
            QVERIFY(!connect->isEnabled());
        }
    }

    void simulationModeNeitherReadsNorWrites() {
        CSheetRig rig;
        QVERIFY(rig.sheet->RunCommand(40012));
        QVERIFY(rig.app.simulationMode);
        QVERIFY(rig.Connect());
        QCOMPARE(rig.app.GetModelName(), QStringLiteral("Korvalis B"));
        QVERIFY(rig.sheet->PageCount() > 2);
        CMyPropertyPage* page = rig.Activate(QStringLiteral("CPropertyPageDisplay"));
        Edit(page, 3);
        rig.Send();
        QVERIFY(rig.model.Log().isEmpty());
        // Simulation can be switched off only after disconnecting.
        QVERIFY(rig.sheet->IsCommandEnabled(40012));
        rig.sheet->RunCommand(40012);
        QVERIFY(rig.app.simulationMode);
    }

    void restartWritesWithoutAcknowledgementAndReconnects() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        rig.ui.QueueAnswer(Ui::IdCancel);
        QVERIFY(rig.sheet->RunCommand(40014));
        QVERIFY(rig.model.Log().isEmpty());
        rig.ui.QueueAnswer(Ui::IdOk);
        QVERIFY(rig.sheet->RunCommand(40014));
        QCOMPARE(rig.ui.MessageIds(), (QList<int>{153, 153}));
        QCOMPARE(rig.ui.shown[1].icon, Ui::Icon::Stop);
        // Without acknowledgements the write is a request only, which the controller carries
        // out all the same; then the connect sequence runs again.
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{3, 0}}));
        QCOMPARE(rig.ReadNumbers().mid(0, 3), (QList<int>{2, 0, 6}));
        QVERIFY(rig.app.IsConnected());
        QVERIFY(rig.sheet->PageSetIsConnected());
    }

    void automaticConnectAtStart() {
        CDeviceModel model;
        CScriptedUserInteraction ui;
        CKorvalisControlApp app;
        app.SetUserInteraction(&ui);
        app.SetFramePause(0);
        app.LoadLanguage(1);
        app.SetChannelFactory(
            [&](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        app.automaticConnect = true;
        CMyPropertySheet sheet;
        sheet.Initialise();
        QVERIFY(!app.IsConnected());  // after the window is up, not inside its start
        CSheetRig::Settle();
        QVERIFY(app.IsConnected());
        QVERIFY(sheet.PageCount() > 2);
        QCOMPARE(ui.title, QStringLiteral("Korvalis Control - Korvalis D"));
    }

    void progressBarFollowsTransfers() {
        CSheetRig rig;
        int maxSeen = 0;
        QObject::connect(rig.sheet->ProgressBar(), &QProgressBar::valueChanged,
                         [&](int v) { maxSeen = std::max(maxSeen, v); });
        QVERIFY(rig.Connect());
        QVERIFY(maxSeen >= 10);  // the connect sequence's reads
        QCOMPARE(rig.sheet->ProgressBar()->value(), 0);
    }
};

QTEST_MAIN(CMyPropertySheetTest)
#include "CMyPropertySheet_test.moc"
