// SPDX-License-Identifier: GPL-3.0-or-later
// The connection dialogs driven through their controls.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "app/CKorvalisControlApp.h"
#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "link/CDiscoveryUi.h"
#include "link/CSerialPortMap.h"
#include "support/CDiscoveryResponder.h"
#include "support/CScriptedUserInteraction.h"
#include "ui/connections/CConnectionsDlg.h"
#include "ui/connections/CDeviceAddressDlg.h"
#include "ui/connections/CEditConnectionDlg.h"
#include "ui/connections/CLantronixConfig.h"
#include "ui/connections/CSelectIPAddress.h"

namespace {
template <typename T>
T* Find(QWidget& dlg, const char* name)
{
    T* w = dlg.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("control %s not found", name);
    return w;
}

// Clicks the check box cell of a row the way a user does.
void ClickCell(QTableWidget* table, int row, int column, bool twice = false)
{
    const QRect r = table->visualRect(table->model()->index(row, column));
    if (twice)
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, r.center());
    else
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, r.center());
}

QList<int> CheckedRows(QTableWidget* table)
{
    QList<int> rows;
    for (int r = 0; r < table->rowCount(); ++r)
        if (table->item(r, 0)->checkState() == Qt::Checked)
            rows << r;
    return rows;
}

class NoDiscoveryUi : public CDiscoveryUi {
public:
    void BeginProgress(int, int) override {}
    void SetProgress(int) override {}
    void EndProgress() override {}
    bool SelectAddress(const QStringList& a, QString& r) override
    {
        offered = a;
        r = a.last();
        return true;
    }
    void ReportNoModule() override { reported = true; }
    QStringList offered;
    bool reported = false;
};
}  // namespace

class CConnectionsDlgTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    std::unique_ptr<CScriptedUserInteraction> m_user;
    std::unique_ptr<CKorvalisControlApp> m_app;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("KORVALIS_HOME", m_home.path().toLocal8Bit());
    }
    void init()
    {
        m_user = std::make_unique<CScriptedUserInteraction>();
        m_app = std::make_unique<CKorvalisControlApp>();
        m_app->SetUserInteraction(m_user.get());
        QVERIFY(m_app->LoadLanguage(CLanguage::English));
        m_app->dataFolder = m_home.filePath("data");
        QVERIFY(m_app->CreateDataFolder());
        QFile::remove(m_app->dataFolder + "/Connections.dat");
        m_app->LoadConnections();
    }
    void cleanup()
    {
        m_app.reset();
        m_user.reset();
    }

    void listShowsTheConnectionsAndTheSelection()
    {
        CConnectionsDlg dlg(*m_app);
        auto* table = Find<QTableWidget>(dlg, "1397");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->horizontalHeaderItem(1)->text(), Tr(336));
        QCOMPARE(table->item(0, 1)->text(), Tr(195));
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("COM1"));
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("<AUTO>:10001"));
        QCOMPARE(table->item(1, 3)->text(), QStringLiteral("---"));
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("9600"));
        QCOMPARE(table->item(1, 4)->text(), Tr(272));
        QCOMPARE(table->item(0, 6)->text(), QStringLiteral("5000"));
        QCOMPARE(CheckedRows(table), QList<int>{0});
        QVERIFY(Find<QPushButton>(dlg, "1395")->isEnabled());
        QVERIFY(!Find<QPushButton>(dlg, "1398")->isEnabled());
        QVERIFY(!Find<QPushButton>(dlg, "1396")->isEnabled());
    }

    void checkBoxColumnActsAsRadioButton()
    {
        CConnectionsDlg dlg(*m_app);
        dlg.show();
        auto* table = Find<QTableWidget>(dlg, "1397");
        ClickCell(table, 1, 0);
        QCOMPARE(CheckedRows(table), QList<int>{1});
        QCOMPARE(m_app->Connections().GetSelectedIndex(), 1);
        ClickCell(table, 1, 0);  // a click on the set box keeps it set
        QCOMPARE(CheckedRows(table), QList<int>{1});
        ClickCell(table, 0, 2);  // elsewhere: only the current row changes
        QCOMPARE(CheckedRows(table), QList<int>{1});
        QVERIFY(Find<QPushButton>(dlg, "1398")->isEnabled());
        QVERIFY(Find<QPushButton>(dlg, "1396")->isEnabled());
    }

    void newEditDeleteAndDoubleClick()
    {
        CConnectionsDlg dlg(*m_app);
        dlg.show();
        auto* table = Find<QTableWidget>(dlg, "1397");
        QStringList offeredNames;
        dlg.SetEditorRunner([&](CConnection& c, const std::function<bool(const QString&)>& check) {
            offeredNames << c.name;
            c.comPort = 7;
            return check(c.name);
        });
        QTest::mouseClick(Find<QPushButton>(dlg, "1395"), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(dlg, "1395"), Qt::LeftButton);
        QCOMPARE(offeredNames, (QStringList{Tr(188) + "1", Tr(188) + "2"}));
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(table->item(3, 2)->text(), QStringLiteral("COM7"));

        // Double-click in column 0 does nothing; elsewhere it edits the row.
        ClickCell(table, 2, 0, true);
        QCOMPARE(offeredNames.size(), 2);
        ClickCell(table, 2, 3);
        ClickCell(table, 2, 3, true);
        QCOMPARE(offeredNames.last(), Tr(188) + "1");

        // Delete a row before the selected one: the same connection stays selected.
        ClickCell(table, 3, 0);
        table->selectRow(1);
        QTest::mouseClick(Find<QPushButton>(dlg, "1396"), Qt::LeftButton);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(m_app->Connections().GetSelected().name, Tr(188) + "2");
        QCOMPARE(CheckedRows(table), QList<int>{2});
        QVERIFY(m_user->shown.isEmpty());
    }

    void newWithATakenNameKeepsTheEditorOpen()
    {
        CConnectionsDlg dlg(*m_app);
        int attempts = 0;
        dlg.SetEditorRunner([&](CConnection& c, const std::function<bool(const QString&)>& check) {
            // The real editor stays open until the check passes; emulate two OK clicks.
            c.name = Tr(195);
            ++attempts;
            if (check(c.name))
                return true;
            c.name = QStringLiteral("Tank 2");
            ++attempts;
            return check(c.name);
        });
        dlg.OnNew();
        QCOMPARE(attempts, 2);
        QCOMPARE(m_user->MessageIds(), QList<int>{31211});
        QCOMPARE(m_app->Connections().GetAt(2).name, QStringLiteral("Tank 2"));

        // The editor itself: OK with a refused name leaves it open.
        CConnection c;
        CEditConnectionDlg editor(*m_app, c);
        editor.SetNameCheck([](const QString& name) { return name != QLatin1String("taken"); });
        editor.show();
        Find<QLineEdit>(editor, "1400")->setText("taken");
        QTest::mouseClick(Find<QPushButton>(editor, "1"), Qt::LeftButton);
        QVERIFY(editor.isVisible());
        QCOMPARE(c.name, Tr(188));
        Find<QLineEdit>(editor, "1400")->setText("free");
        QTest::mouseClick(Find<QPushButton>(editor, "1"), Qt::LeftButton);
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(c.name, QStringLiteral("free"));
    }

    void newRefusesThe256thConnection()
    {
        CConnectionArray& list = m_app->Connections();
        for (int i = list.GetCount(); i < CConnectionArray::MaxCount; ++i) {
            CConnection c;
            c.name = QString::number(i);
            QVERIFY(list.Add(c));
        }
        CConnectionsDlg dlg(*m_app);
        bool editorRan = false;
        dlg.SetEditorRunner([&](CConnection&, const std::function<bool(const QString&)>&) { return editorRan = true; });
        QTest::mouseClick(Find<QPushButton>(dlg, "1395"), Qt::LeftButton);
        QVERIFY(!editorRan);
        QCOMPARE(m_user->MessageIds(), QList<int>{31210});
        QCOMPARE(list.GetCount(), 255);
    }

    void automaticConnectBoxSetsTheFlagAtOnce()
    {
        m_app->automaticConnect = true;
        CConnectionsDlg dlg(*m_app);
        auto* box = Find<QCheckBox>(dlg, "1514");
        QVERIFY(box->isChecked());
        box->click();
        QVERIFY(!m_app->automaticConnect);
    }

    void editorSwitchesTypeAndWritesBack()
    {
        CConnection c;
        c.name = "Reef";
        c.networkAddress = "0.0.0.0";
        c.baudRate = 19200;
        c.smsModule = true;
        CEditConnectionDlg editor(*m_app, c);
        editor.show();
        auto* address = Find<QLineEdit>(editor, "1454");
        auto* automatic = Find<QCheckBox>(editor, "1496");
        auto* label = Find<QLabel>(editor, "1453");
        QCOMPARE(Find<QComboBox>(editor, "1361")->currentText(), QStringLiteral("19200"));
        QCOMPARE(Find<QComboBox>(editor, "1361")->count(), 8);
        QVERIFY(Find<QRadioButton>(editor, "1401")->isChecked());
        QVERIFY(!address->isVisible());
        QVERIFY(Find<QSpinBox>(editor, "1362")->isVisible());
        QVERIFY(Find<QPushButton>(editor, "1060")->isVisible());
        QCOMPARE(label->text(), Tr(250) + ":");

        Find<QRadioButton>(editor, "1458")->click();
        QVERIFY(address->isVisible() && automatic->isVisible());
        QVERIFY(Find<QPushButton>(editor, "1459")->isVisible());
        QVERIFY(!Find<QSpinBox>(editor, "1362")->isVisible());
        QVERIFY(!Find<QComboBox>(editor, "1361")->isVisible());
        QVERIFY(!Find<QPushButton>(editor, "1060")->isVisible());
        QCOMPARE(label->text(), Tr(271) + ":");
        QCOMPARE(address->text(), QStringLiteral("<AUTO>"));
        QVERIFY(automatic->isChecked() && !address->isEnabled());

        automatic->click();  // cleared: the field gets an address of this computer
        QVERIFY(address->isEnabled());
        QVERIFY(address->text() != QLatin1String("<AUTO>"));
        QCOMPARE(address->text().count('.'), 3);
        address->setText("  10.1.2.3 ");
        Find<QSpinBox>(editor, "1456")->setValue(4001);
        Find<QSpinBox>(editor, "1310")->setValue(12);
        Find<QLineEdit>(editor, "1399")->setText("800");
        Find<QCheckBox>(editor, "1660")->click();
        QTest::mouseClick(Find<QPushButton>(editor, "1"), Qt::LeftButton);
        QCOMPARE(c.type, uint32_t(CConnection::Tcp));
        QCOMPARE(c.networkAddress, QStringLiteral("10.1.2.3"));
        QCOMPARE(c.tcpPort, 4001u);
        QCOMPARE(c.deviceAddress, 12u);
        QCOMPARE(c.replyTimeout, 800u);
        QVERIFY(!c.smsModule);
        QCOMPARE(c.baudRate, 19200u);
    }

    void editorKeepsValuesOutsideItsLists()
    {
        CConnection c;
        c.baudRate = 250000;
        c.deviceAddress = 34;
        c.tcpPort = 70000;  // cannot be a port: shown as the largest one
        CEditConnectionDlg editor(*m_app, c);
        QCOMPARE(Find<QComboBox>(editor, "1361")->currentText(), QStringLiteral("250000"));
        editor.accept();
        QCOMPARE(c.baudRate, 250000u);
        QCOMPARE(c.deviceAddress, 34u);
        QCOMPARE(c.networkAddress, QStringLiteral("0.0.0.0"));
    }

    void devicePathMapsToThePortNumber()
    {
        // A typed path that no number maps to becomes the number's per-user override.
        CConnection c;
        c.comPort = 9;
        {
            CEditConnectionDlg editor(*m_app, c);
            Find<QComboBox>(editor, "serialDevice")->setEditText("/tmp/my-pty");
            editor.accept();
        }
        QCOMPARE(c.comPort, 9u);
        QCOMPARE(CSerialPortMap::DevicePath(9), QStringLiteral("/tmp/my-pty"));
        // A path of the default scheme picks its own number and leaves the override alone.
        {
            CEditConnectionDlg editor(*m_app, c);
            QCOMPARE(Find<QComboBox>(editor, "serialDevice")->currentText(), QStringLiteral("/tmp/my-pty"));
            Find<QComboBox>(editor, "serialDevice")->setEditText("/dev/ttyACM1");
            editor.accept();
        }
        QCOMPARE(c.comPort, 18u);
        QCOMPARE(CSerialPortMap::DevicePath(9), QStringLiteral("/tmp/my-pty"));
        // A new path for a number another connection uses goes to a free number: the other
        // connection keeps its device.
        QCOMPARE(CEditConnectionDlg::MapDevicePath(9, "/tmp/other-pty", {9, 65}), 66u);
        QCOMPARE(CSerialPortMap::DevicePath(66), QStringLiteral("/tmp/other-pty"));
        QCOMPARE(CSerialPortMap::DevicePath(9), QStringLiteral("/tmp/my-pty"));
        CSerialPortMap::SetOverride(66, QString());
        // The default path of the number itself removes its override.
        QCOMPARE(CEditConnectionDlg::MapDevicePath(9, "/dev/ttyUSB8"), 9u);
        QCOMPARE(CSerialPortMap::Override(9), QString());
    }

    void configurationButtonOpensTheModulesPage()
    {
        QList<QUrl> opened;
        CEditConnectionDlg::SetUrlOpener([&](const QUrl& u) { opened << u; });
        CConnection c;
        c.type = CConnection::Tcp;
        c.networkAddress = "192.168.7.20";
        {
            CEditConnectionDlg editor(*m_app, c);
            QTest::mouseClick(Find<QPushButton>(editor, "1459"), Qt::LeftButton);
        }
        QCOMPARE(opened, QList<QUrl>{QUrl("http://192.168.7.20")});
        // Automatic address: discovery with the choice first.
        CDiscoveryResponder responder({"127.0.0.2", "127.0.0.3"});
        responder.InstallAsTarget();
        c.networkAddress = "0.0.0.0";
        NoDiscoveryUi ui;
        {
            CEditConnectionDlg editor(*m_app, c);
            editor.SetDiscoveryUi(&ui);
            QTest::mouseClick(Find<QPushButton>(editor, "1459"), Qt::LeftButton);
        }
        QCOMPARE(ui.offered, (QStringList{"127.0.0.2", "127.0.0.3"}));
        QCOMPARE(opened.last(), QUrl("http://127.0.0.3"));
        CEditConnectionDlg::SetUrlOpener([](const QUrl&) {});
    }

    void scanAsksFirst()
    {
        CConnection c;
        CEditConnectionDlg editor(*m_app, c);
        m_user->QueueAnswer(CUserInteraction::IdNo);
        QTest::mouseClick(Find<QPushButton>(editor, "1060"), Qt::LeftButton);
        QCOMPARE(m_user->MessageIds(), QList<int>{322});
        QCOMPARE(m_user->shown[0].buttons, CUserInteraction::Buttons::YesNoCancel);
    }

    void deviceAddressIsClampedAndStored()
    {
        CDeviceAddressDlg dlg(7);
        dlg.show();
        QCOMPARE(Find<QLineEdit>(dlg, "1221")->text(), QStringLiteral("7"));
        auto* edit = Find<QLineEdit>(dlg, "1222");
        QCOMPARE(edit->text(), QStringLiteral("7"));
        edit->setText("45");
        QTest::keyClick(edit, Qt::Key_Return);  // Enter: no focus change, still clamped
        QCOMPARE(dlg.NewAddress(), uint16_t(30));
        QCOMPARE(edit->text(), QStringLiteral("30"));

        // The command: the controller learns the new address, the stored connection keeps it.
        CDeviceModel model;
        m_app->SetFramePause(0);
        m_app->SetChannelFactory([&](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        QVERIFY(m_app->Connect(nullptr, false));
        model.ClearLog();
        QCOMPARE(CDeviceAddressDlg::ApplyNewAddress(*m_app, 12), uint16_t(0));
        QCOMPARE(model.Writes(), (QVector<QPair<int, int64_t>>{{5, 12}}));
        QCOMPARE(m_app->Connections().GetSelected().deviceAddress, 12u);
        QCOMPARE(m_app->currentConnection.deviceAddress, 1u);
        // A refused write keeps the stored address: the next connect must still find it.
        CDeviceModel::Faults refuse;
        refuse.refuse = {5};
        model.SetFaults(refuse);
        QVERIFY(CDeviceAddressDlg::ApplyNewAddress(*m_app, 20) != 0);
        QCOMPARE(m_app->Connections().GetSelected().deviceAddress, 12u);
        model.SetFaults({});
        m_app->Disconnect();
        // Without a link, and in simulation, only the stored connection changes.
        QCOMPARE(CDeviceAddressDlg::ApplyNewAddress(*m_app, 4), uint16_t(0));
        QCOMPARE(m_app->Connections().GetSelected().deviceAddress, 4u);
        m_app->simulationMode = true;
        CDeviceAddressDlg::ApplyNewAddress(*m_app, 3);
        QCOMPARE(m_app->Connections().GetSelected().deviceAddress, 3u);
    }

    void selectionDialogNeedsARow()
    {
        QString result = "0.0.0.0";
        CSelectIPAddress dlg({"10.0.0.5", "10.0.0.6", "10.0.0.5"}, result);
        auto* list = Find<QListWidget>(dlg, "1492");
        auto* ok = Find<QPushButton>(dlg, "1");
        QCOMPARE(list->count(), 3);
        QVERIFY(!ok->isEnabled());
        dlg.accept();  // OK without a row does nothing
        QCOMPARE(result, QStringLiteral("0.0.0.0"));
        list->setCurrentRow(1);
        QVERIFY(ok->isEnabled());
        ok->click();
        QCOMPARE(result, QStringLiteral("10.0.0.6"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void wirelessRecord()
    {
        QByteArray r = CLantronixConfig::BuildRecord(0xC0A80014, false, 1, "  HOME-NET  ");
        QCOMPARE(r, QByteArray("\xc0\xa8\x00\x14\x01HOME-NET\0\0\0\0\0\0\0\0", 21));
        r = CLantronixConfig::BuildRecord(0xC0A80014, true, 0, "ABCDEFGHIJKLMNOPQRST");
        QCOMPARE(r, QByteArray("\0\0\0\0\0ABCDEFGHIJKLMNOP", 21));
    }

    void wirelessDialogWritesParameter1141PlusIndex()
    {
        CDeviceModel model;
        m_app->SetFramePause(0);
        m_app->SetChannelFactory([&](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        QVERIFY(m_app->Connect(nullptr, false));
        model.ClearLog();
        {
            CLantronixConfig dlg(*m_app, 2, true);
            dlg.show();
            QVERIFY(!Find<QLineEdit>(dlg, "1495")->text().isEmpty());
            auto* address = Find<QLineEdit>(dlg, "1460");
            QVERIFY(address->isVisible());
            Find<QRadioButton>(dlg, "1493")->click();
            QVERIFY(!address->isVisible());
            Find<QRadioButton>(dlg, "1487")->click();
            QVERIFY(address->isVisible());
            address->setText("10.0.0");  // incomplete: refused, dialog stays
            Find<QPushButton>(dlg, "1")->click();
            QCOMPARE(m_user->MessageIds(), QList<int>{31212});
            QVERIFY(dlg.isVisible());
            address->setText("10.0.0.77");
            Find<QRadioButton>(dlg, "1484")->click();
            Find<QLineEdit>(dlg, "1483")->setText("  HOME-NET  ");
            Find<QPushButton>(dlg, "1")->click();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(model.Log().size(), 1);
        QCOMPARE(model.Log()[0].number, 1143);
        QCOMPARE(model.Log()[0].text, QByteArray("\x0a\x00\x00\x4d\x01HOME-NET\0\0\0\0\0\0\0\0", 21));
        // A wired module: the network type and name stay disabled.
        CLantronixConfig wired(*m_app, 0, false);
        QVERIFY(!Find<QLineEdit>(wired, "1483")->isEnabled());
        QVERIFY(!Find<QRadioButton>(wired, "1482")->isEnabled());
        QCOMPARE(Find<QLineEdit>(wired, "1483")->text(), QStringLiteral("LTRX_IBSS"));
    }
    void screenshots()
    {
        // For looking at the dialogs: KORVALIS_SCREENSHOT_DIR=/tmp/shots (under xvfb-run).
        const QString shots = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (shots.isEmpty()) return;
        CConnection tank;
        tank.name = "Reef tank";
        tank.type = CConnection::Tcp;
        tank.networkAddress = "192.168.7.20";
        QVERIFY(m_app->Connections().Add(tank));
        const auto save = [&](QWidget& w, const char* name) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::qWait(50);
            QVERIFY(w.grab().save(QDir(shots).filePath(QLatin1String(name))));
        };
        {
            CConnectionsDlg dlg(*m_app);
            save(dlg, "connections.png");
        }
        {
            CConnection c = m_app->Connections().GetAt(0);
            CEditConnectionDlg editor(*m_app, c);
            save(editor, "connection-serial.png");
        }
        {
            CEditConnectionDlg editor(*m_app, tank);
            save(editor, "connection-tcp.png");
        }
        {
            CLantronixConfig wireless(*m_app, 0, true);
            save(wireless, "wireless.png");
        }
    }
};

QTEST_MAIN(CConnectionsDlgTest)
#include "CConnectionsDlg_test.moc"
