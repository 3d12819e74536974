// SPDX-License-Identifier: GPL-3.0-or-later
// The General page against the device model: read and write order per model, signed
// position values, the option bits, the clock refresh that leaves the user's pickers alone,
// enabling rules, the connect button, the link-error disconnect and the connection list.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>

#include "app/CTimerStop.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "pages/system/CPropertyPageGeneral.h"
#include "support/CSheetRig.h"
#include "ui/sheet/CAboutDlg.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/PageConversions.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
using G = CPropertyPageGeneral;

CDeviceModel::Options Model(int productCode) {
    CDeviceModel::Options o;
    o.productCode = productCode;
    return o;
}

void Seed(CDeviceModel& model) {
    CBusDevice& c = model.Controller();
    c.SetValue(172, 0);
    c.SetValue(170, 8 * 60 + 30);
    c.SetValue(171, DateToDayNumber(QDate(2024, 3, 1)));
    c.SetValue(173, 0);
    c.SetValue(175, 5);
    c.SetValue(702, 1500);  // beyond the day: shown as 23:59
    c.SetValue(703, 6 * 60);
    c.SetValue(701, 1);
    c.SetValue(176, 6);
    c.SetValue(177, -475);
    c.SetValue(178, 123);
}

template <class T>
T* Find(QWidget* page, int id) {
    T* w = page->findChild<T*>(QString::number(id));
    if (!w) qFatal("control %d missing", id);
    return w;
}

QString Text(QWidget* page, int id) {
    return Find<QLabel>(page, id)->text();
}

G* General(CSheetRig& rig) {
    return qobject_cast<G*>(rig.sheet->GeneralPage());
}

// Connected, General page read, log cleared.
G* ConnectedPage(CSheetRig& rig) {
    Seed(rig.model);
    if (!rig.Connect()) qFatal("connect failed");
    rig.model.ClearLog();
    return General(rig);
}
}  // namespace

class CPropertyPageGeneralTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // Page tests build their windows without showing them first; the splash test below
        // switches it on for itself.
        G::SetSplashEnabled(false);
    }

    void modelAReadsEightValuesInOrder() {
        CSheetRig rig(Model(2));
        G* page = ConnectedPage(rig);
        QVERIFY(page);
        rig.Read();
        QCOMPARE(rig.ReadNumbers(), (QList<int>{172, 170, 171, 173, 175, 176, 177, 178}));
        QCOMPARE(rig.ui.progressMax, 11);
        QVERIFY(page->IsRead());
        QCOMPARE(Find<QTimeEdit>(page, G::IdTime)->time(), QTime(8, 30));
        QCOMPARE(Find<QDateEdit>(page, G::IdDate)->date(), QDate(2024, 3, 1));
        QCOMPARE(Find<CEditSpin>(page, G::IdOptionNumber)->value(), 5.0);
        // 176 = 6: list index 2, bit 2 ticked.
        QCOMPARE(Find<QComboBox>(page, G::IdOptionList)->currentIndex(), 2);
        QVERIFY(Find<QCheckBox>(page, G::IdOptionBit)->isChecked());
        QCOMPARE(Find<CEditSpin>(page, G::IdLatitude)->value(), 47.5);
        QCOMPARE(Find<QComboBox>(page, G::IdLatitudeSide)->currentIndex(), 1);
        QCOMPARE(Find<CEditSpin>(page, G::IdLongitude)->value(), 12.3);
        QCOMPARE(Find<QComboBox>(page, G::IdLongitudeSide)->currentIndex(), 0);
        QVERIFY(!page->IsModified());
        QVERIFY(rig.ui.shown.isEmpty());

        // Edits of values this model does not have are never sent.
        Find<QTimeEdit>(page, G::IdFrom)->setTime(QTime(1, 0));
        Find<QCheckBox>(page, G::IdSwitchA)->setChecked(true);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{172, 1}}));
    }

    void modelsWithExtraValuesReadAndWriteInOrder_data() {
        QTest::addColumn<int>("product");
        QTest::newRow("B") << 3;
        QTest::newRow("D") << 4;
        QTest::newRow("G") << 8;
    }
    void modelsWithExtraValuesReadAndWriteInOrder() {
        QFETCH(int, product);
        CSheetRig rig(Model(product));
        G* page = ConnectedPage(rig);
        rig.Read();
        QCOMPARE(rig.ReadNumbers(),
                 (QList<int>{172, 170, 171, 173, 175, 702, 703, 701, 176, 177, 178}));
        QCOMPARE(Find<QTimeEdit>(page, G::IdFrom)->time(), QTime(23, 59));
        QCOMPARE(Find<QTimeEdit>(page, G::IdUntil)->time(), QTime(6, 0));
        QVERIFY(Find<QRadioButton>(page, G::IdChoiceFirst + 1)->isChecked());

        // Every value changed, in screen order; the writes follow the controller's order.
        Find<QTimeEdit>(page, G::IdTime)->setTime(QTime(13, 45));
        Find<QDateEdit>(page, G::IdDate)->setDate(QDate(2031, 7, 15));
        Find<QCheckBox>(page, G::IdSwitchA)->setChecked(true);
        Find<QCheckBox>(page, G::IdSwitchB)->setChecked(true);
        Find<CEditSpin>(page, G::IdOptionNumber)->setValue(7);
        Find<QComboBox>(page, G::IdOptionList)->setCurrentIndex(3);
        Find<QCheckBox>(page, G::IdOptionBit)->setChecked(false);
        Find<CEditSpin>(page, G::IdLatitude)->setValue(12.5);
        Find<QComboBox>(page, G::IdLatitudeSide)->setCurrentIndex(0);
        Find<QComboBox>(page, G::IdLongitudeSide)->setCurrentIndex(1);
        QTest::mouseClick(Find<QRadioButton>(page, G::IdChoiceFirst + 2), Qt::LeftButton);
        Find<QTimeEdit>(page, G::IdUntil)->setTime(QTime(7, 15));
        Find<QTimeEdit>(page, G::IdFrom)->setTime(QTime(22, 0));
        QVERIFY(page->IsModified());
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(),
                 (Writes{{172, 1},
                         {173, 1},
                         {175, 7},
                         {171, DateToDayNumber(QDate(2031, 7, 15))},
                         {170, 13 * 60 + 45},
                         {702, 22 * 60},
                         {703, 7 * 60 + 15},
                         {701, 2},
                         {176, 3},
                         {177, 125},
                         {178, -123}}));
        QVERIFY(!page->IsModified());
        QVERIFY(rig.ui.shown.isEmpty());
    }

    void southernLatitudeRoundTrip() {
        CSheetRig rig(Model(4));
        G* page = ConnectedPage(rig);
        rig.model.Controller().SetValue(177, 300);
        rig.Read();
        QCOMPARE(Find<QComboBox>(page, G::IdLatitudeSide)->currentIndex(), 0);
        Find<CEditSpin>(page, G::IdLatitude)->setValue(47.5);
        Find<QComboBox>(page, G::IdLatitudeSide)->setCurrentIndex(1);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{177, -475}}));

        Find<CEditSpin>(page, G::IdLatitude)->SetValueQuietly(0);
        rig.Read();
        QCOMPARE(Find<CEditSpin>(page, G::IdLatitude)->value(), 47.5);
        QCOMPARE(Find<QComboBox>(page, G::IdLatitudeSide)->currentIndex(), 1);
    }

    void optionBitsSplitAndJoin() {
        CSheetRig rig(Model(3));
        G* page = ConnectedPage(rig);
        rig.Read();
        QCOMPARE(Find<QComboBox>(page, G::IdOptionList)->currentIndex(), 2);
        QVERIFY(Find<QCheckBox>(page, G::IdOptionBit)->isChecked());
        Find<QComboBox>(page, G::IdOptionList)->setCurrentIndex(3);
        Find<QCheckBox>(page, G::IdOptionBit)->setChecked(false);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{176, 3}}));
        // And the box alone sets bit 2 on top of the index.
        Find<QCheckBox>(page, G::IdOptionBit)->setChecked(true);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{176, 7}}));
    }

    void tickLeavesTheUsersTimePickerAlone() {
        CSheetRig rig(Model(4));
        G* page = ConnectedPage(rig);
        auto* time = Find<QTimeEdit>(page, G::IdTime);
        auto* date = Find<QDateEdit>(page, G::IdDate);
        CBusDevice& c = rig.model.Controller();

        c.SetValue(170, 10 * 60);
        c.SetValue(171, DateToDayNumber(QDate(2025, 1, 2)));
        page->RefreshTick();
        QCOMPARE(rig.ReadNumbers(), (QList<int>{170, 171}));
        QCOMPARE(time->time(), QTime(10, 0));
        QCOMPARE(date->date(), QDate(2025, 1, 2));
        QVERIFY(!page->IsModified());

        // The user is in the time picker: only the date follows the controller.
        rig.sheet->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.sheet.get()));
        time->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(time->hasFocus(), 10000);
        c.SetValue(170, 11 * 60);
        c.SetValue(171, DateToDayNumber(QDate(2025, 1, 3)));
        rig.model.ClearLog();
        page->RefreshTick();
        QCOMPARE(rig.ReadNumbers(), (QList<int>{171}));
        QCOMPARE(time->time(), QTime(10, 0));
        QCOMPARE(date->date(), QDate(2025, 1, 3));

        // Edited and left: still the user's until it is sent.
        time->setTime(QTime(9, 15));
        Find<QPushButton>(page, G::IdSetFromPc)->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(!time->hasFocus(), 10000);
        c.SetValue(171, DateToDayNumber(QDate(2025, 1, 4)));
        page->RefreshTick();
        QCOMPARE(time->time(), QTime(9, 15));
        QCOMPARE(date->date(), QDate(2025, 1, 4));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{170, 9 * 60 + 15}}));
        rig.model.ClearLog();
        page->RefreshTick();
        QCOMPARE(rig.ReadNumbers(), (QList<int>{170, 171}));
        QCOMPARE(time->time(), QTime(9, 15));

        // Set from PC: both pickers are the user's now and go out with the next Send.
        Find<QPushButton>(page, G::IdSetFromPc)->click();
        QVERIFY(page->IsChanged(170) && page->IsChanged(171));
        rig.model.ClearLog();
        page->RefreshTick();
        QVERIFY(rig.ReadNumbers().isEmpty());
        rig.Send();
        QCOMPARE(rig.model.Writes().size(), 2);
        QCOMPARE(rig.model.Writes()[0].first, 171);
        QCOMPARE(rig.model.Writes()[1].first, 170);
        rig.sheet->hide();
    }

    void tickDuringTransferOrSimulationOnlyBlinks() {
        CSheetRig rig(Model(4));
        G* page = ConnectedPage(rig);
        {
            CTimerStop stop;
            for (int i = 0; i < 5; ++i) page->RefreshTick();
        }
        QVERIFY(rig.ReadNumbers().isEmpty());
        rig.Disconnect();
        QVERIFY(rig.app.ToggleSimulation());
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* button = Find<QPushButton>(page, G::IdConnect);
        QCOMPARE(button->text(), Tr(178));
        for (int i = 0; i < 10; ++i) page->RefreshTick();
        QVERIFY(rig.model.Log().isEmpty());
        QCOMPARE(button->text(), Tr(178));
        QCOMPARE(Text(page, G::IdModel), QStringLiteral("Korvalis B"));
        QCOMPARE(Text(page, G::IdFirmware), Tr(125));
        rig.Disconnect();
        // Disconnected in simulation mode the button blinks as it always does.
        const bool before = page->BlinkOn();
        for (int i = 0; i < 5; ++i) page->RefreshTick();
        QCOMPARE(page->BlinkOn(), !before);
        QCOMPARE(button->text(), Tr(page->BlinkOn() ? 180 : 177));
    }

    void enablingRules_data() {
        QTest::addColumn<int>("product");
        QTest::addColumn<bool>("extra");
        QTest::addColumn<bool>("switches");
        QTest::newRow("A") << 2 << false << true;
        QTest::newRow("B") << 3 << true << true;
        QTest::newRow("E") << 5 << false << true;
        QTest::newRow("F") << 7 << false << false;
        QTest::newRow("G") << 8 << true << true;
    }
    void enablingRules() {
        QFETCH(int, product);
        QFETCH(bool, extra);
        QFETCH(bool, switches);
        CSheetRig rig(Model(product));
        rig.model.Controller().SetValue(172, 0);
        rig.model.Controller().SetValue(173, 1);
        QVERIFY(rig.Connect());
        G* page = General(rig);
        auto enabled = [page](int id) { return Find<QWidget>(page, id)->isEnabled(); };

        // Switch A off: the PC sets the clock.
        QVERIFY(enabled(G::IdTime) && enabled(G::IdDate) && enabled(G::IdSetFromPc));
        QCOMPARE(enabled(G::IdSwitchA), switches);
        QVERIFY(!enabled(G::IdSwitchB));
        QVERIFY(!enabled(G::IdOptionNumber));
        for (int id : {G::IdOptionBit, G::IdChoiceFirst, G::IdChoiceFirst + 2, G::IdFrom, G::IdUntil})
            QCOMPARE(enabled(id), extra);
        QVERIFY(enabled(G::IdOptionList) && enabled(G::IdLatitude) && enabled(G::IdLongitudeSide));

        // Switch A on: the controller keeps its own clock.
        Find<QCheckBox>(page, G::IdSwitchA)->setChecked(true);
        QVERIFY(!enabled(G::IdTime) && !enabled(G::IdDate) && !enabled(G::IdSetFromPc));
        QCOMPARE(enabled(G::IdSwitchB), switches);
        QCOMPARE(enabled(G::IdOptionNumber), switches);  // B is on
        Find<QCheckBox>(page, G::IdSwitchB)->setChecked(false);
        QVERIFY(!enabled(G::IdOptionNumber));

        // Disconnected: nothing to edit, but the connection can be chosen.
        QVERIFY(!enabled(G::IdConnectionList) && !enabled(G::IdConnections));
        rig.Disconnect();
        QVERIFY(enabled(G::IdConnectionList) && enabled(G::IdConnections));
        QVERIFY(!enabled(G::IdTime) && !enabled(G::IdLatitude) && !enabled(G::IdSwitchA));
        QVERIFY(enabled(G::IdConnect));
    }

    void optionNumberSpinsWithinOneToFourteen() {
        CSheetRig rig(Model(4));
        rig.model.Controller().SetValue(172, 1);
        rig.model.Controller().SetValue(173, 1);
        rig.model.Controller().SetValue(175, 0);
        QVERIFY(rig.Connect());
        auto* spin = Find<CEditSpin>(General(rig), G::IdOptionNumber);
        QCOMPARE(spin->value(), 0.0);  // typed range starts at 0
        spin->stepDown();
        QCOMPARE(spin->value(), 0.0);
        spin->stepUp();
        QCOMPARE(spin->value(), 1.0);
        spin->stepDown();
        QCOMPARE(spin->value(), 1.0);
        spin->setValue(14);
        spin->stepUp();
        QCOMPARE(spin->value(), 14.0);
    }

    void connectAndDisconnectThroughTheButton() {
        CSheetRig rig(Model(4));
        G* page = General(rig);
        auto* button = Find<QPushButton>(page, G::IdConnect);
        QCOMPARE(Text(page, G::IdStatus), Tr(127));
        QCOMPARE(Text(page, G::IdFirmware), Tr(236));
        QCOMPARE(Text(page, G::IdSerial), Tr(236));
        QCOMPARE(Text(page, G::IdModel), Tr(236));

        // Blinking while disconnected: every fifth tick.
        QCOMPARE(button->text(), Tr(177));
        for (int i = 0; i < 4; ++i) page->RefreshTick();
        QCOMPARE(button->text(), Tr(177));
        page->RefreshTick();
        QCOMPARE(button->text(), Tr(180));
        for (int i = 0; i < 5; ++i) page->RefreshTick();
        QCOMPARE(button->text(), Tr(177));

        Seed(rig.model);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(rig.app.IsConnected());
        QVERIFY(rig.sheet->PageCount() > 2);
        QCOMPARE(button->text(), Tr(178));
        QCOMPARE(Text(page, G::IdStatus), Tr(128));
        QCOMPARE(Text(page, G::IdFirmware), QStringLiteral("4.08"));
        QCOMPARE(Text(page, G::IdSerial), QStringLiteral("123456"));
        QCOMPARE(Text(page, G::IdModel), QStringLiteral("Korvalis D"));
        // The page read itself as part of the connect.
        QVERIFY(page->IsRead());
        QCOMPARE(Find<QTimeEdit>(page, G::IdTime)->time(), QTime(8, 30));
        for (int i = 0; i < 5; ++i) page->RefreshTick();
        QCOMPARE(button->text(), Tr(178));

        // Unsent changes: the disconnect asks first, and No keeps the connection.
        Find<CEditSpin>(page, G::IdLongitude)->setValue(9);
        rig.ui.QueueAnswer(CUserInteraction::IdNo);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(rig.ui.MessageIds(), QList<int>{179});
        QVERIFY(rig.app.IsConnected());
        rig.ui.QueueAnswer(CUserInteraction::IdYes);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!rig.app.IsConnected());
        QVERIFY(!rig.sheet->PageSetIsConnected());
        QCOMPARE(Text(page, G::IdStatus), Tr(127));
        QCOMPARE(Text(page, G::IdModel), Tr(236));
        QCOMPARE(button->text(), Tr(page->BlinkOn() ? 180 : 177));
        // Nothing of that controller stays behind.
        QVERIFY(!page->IsModified());
        QCOMPARE(Find<CEditSpin>(page, G::IdLongitude)->value(), 0.0);

        QCOMPARE(G::VersionText(408), QStringLiteral("4.08"));
        QCOMPARE(G::VersionText(1000), QStringLiteral("1.000"));
    }

    void linkErrorDisconnectsOnTheNextTick() {
        CSheetRig rig(Model(4));
        G* page = ConnectedPage(rig);
        // The next read of the clock gets no answer.
        CDeviceModel::Faults f;
        f.dropRate = 1.0;
        rig.model.SetFaults(f);
        page->RefreshTick();
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QVERIFY(rig.sheet->LinkError());
        QVERIFY(rig.app.IsConnected());
        QVERIFY(page->IsRefreshing());
        page->RefreshTick();
        QVERIFY(!rig.app.IsConnected());
        QVERIFY(!rig.sheet->LinkError());
        QVERIFY(!rig.sheet->PageSetIsConnected());
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
    }

    void connectionListFollowsTheStoredConnections() {
        CSheetRig rig(Model(4));
        CConnectionArray& list = rig.app.Connections();
        for (const char* name : {"Tank", "Terrarium"}) {
            CConnection c;
            c.name = QString::fromLatin1(name);
            QVERIFY(list.Add(c));
        }
        list.Select(1);
        CMyPropertySheet::SetConnectionsDialogHandler([](CMyPropertySheet& s) {
            CConnection c;
            c.name = QStringLiteral("Pond");
            s.App().Connections().Add(c);
            return true;
        });
        G* page = General(rig);
        QTest::mouseClick(Find<QPushButton>(page, G::IdConnections), Qt::LeftButton);
        CMyPropertySheet::SetConnectionsDialogHandler(nullptr);
        auto* combo = Find<QComboBox>(page, G::IdConnectionList);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(2), QStringLiteral("Pond"));
        QCOMPARE(combo->currentIndex(), 1);
        // Choosing one makes it the current connection.
        Q_EMIT combo->activated(0);
        QCOMPARE(list.GetSelectedIndex(), 0);
    }

    void namedConnectionOfTheCommandLineIsTheOneListed() {
        CSheetRig rig;
        CConnection demo = rig.connection;
        demo.name = QStringLiteral("127.0.0.1:10001");
        rig.sheet->SetConnectionOverride(demo, true);
        auto* combo = Find<QComboBox>(General(rig), G::IdConnectionList);
        rig.sheet->ConnectController(false);
        QVERIFY(rig.app.IsConnected());
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), demo.name);
    }

    void splashOnceWhenTheWindowFirstShows() {
        G::SetSplashEnabled(true);
        CDeviceModel model;
        CScriptedUserInteraction ui;
        CKorvalisControlApp app;
        app.SetUserInteraction(&ui);
        app.LoadLanguage(1);
        {
            CMyPropertySheet sheet;
            sheet.show();
            auto* splash = sheet.findChild<CAboutDlg*>();
            QVERIFY(splash);
            QVERIFY(splash->IsSplash());
            QVERIFY(splash->isVisible());
            QTest::mouseClick(splash, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!sheet.findChild<CAboutDlg*>(), 10000);
        }
        CMyPropertySheet again;
        again.show();
        QVERIFY(!again.findChild<CAboutDlg*>());
        G::SetSplashEnabled(false);
    }

    // Pictures of the connected page for a look (KORVALIS_SCREENSHOT_DIR=folder).
    void screenshots() {
        const QString dir = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (dir.isEmpty()) return;
        for (int language : {CLanguage::English, CLanguage::German}) {
            CSheetRig rig(Model(4), language);
            for (const char* name : {"Aquarium", "Terrarium (wireless)"}) {
                CConnection c;
                c.name = QString::fromLatin1(name);
                rig.app.Connections().Add(c);
            }
            Q_EMIT rig.sheet->connectionListChanged();
            Seed(rig.model);
            QVERIFY(rig.Connect());
            rig.sheet->show();
            QTest::qWait(300);
            const QString path = QDir(dir).filePath(
                language == CLanguage::English ? "general-en.png" : "general-de.png");
            QVERIFY(rig.sheet->grab().save(path));
            rig.Disconnect();
            QTest::qWait(100);
            QVERIFY(rig.sheet->grab().save(QDir(dir).filePath(
                language == CLanguage::English ? "general-en-off.png" : "general-de-off.png")));
            rig.sheet->hide();
        }
    }
};

QTEST_MAIN(CPropertyPageGeneralTest)
#include "CPropertyPageGeneral_test.moc"
