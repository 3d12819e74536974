// SPDX-License-Identifier: GPL-3.0-or-later
// The COM-port scan against the device model on a socat pseudo-terminal.
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "link/CSerialPortMap.h"
#include "device/CDeviceModel.h"
#include "support/CDeviceModelServer.h"
#include "support/CSocatPair.h"
#include "support/CScriptedUserInteraction.h"
#include "ui/connections/CScanCOMDlg.h"

namespace {
// The device model on one end of a socat pair; the program opens the other.
struct PtyDevice {
    explicit PtyDevice(const CDeviceModel::Options& o = {}) : model(o), server(model) {}
    bool Start() { return pair.Start() && server.ServeTty(pair.EndB()); }
    QString ProgramEnd() const { return pair.EndA(); }
    CDeviceModel model;
    CSocatPair pair;
    CDeviceModelServer server;
};

// Shows messages the way a modal box does: the event loop runs while it is open.
class ModalUser : public CScriptedUserInteraction {
public:
    int ShowMessage(int id, Icon icon, Buttons buttons, const QStringList& args = {}) override
    {
        const int answer = CScriptedUserInteraction::ShowMessage(id, icon, buttons, args);
        if (scan)
            scanningWhileShown << scan->IsScanning();
        QTest::qWait(400);
        return answer;
    }
    CScanCOMDlg* scan = nullptr;
    QList<bool> scanningWhileShown;
};
}  // namespace

class CScanCOMDlgTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("KORVALIS_HOME", m_home.path().toLocal8Bit());
        QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English)));
        for (uint32_t n = 1; n <= 8; ++n)
            CSerialPortMap::SetOverride(n, m_home.filePath(QStringLiteral("no-such-port-%1").arg(n)));
    }

    void findsTheControllerOnItsPort()
    {
        PtyDevice device;
        QVERIFY2(device.Start(), "socat pseudo-terminal pair");
        CSerialPortMap::SetOverride(5, device.ProgramEnd());
        ModalUser user;
        CKorvalisControlApp app;
        app.SetUserInteraction(&user);
        app.SetFramePause(0);
        app.serialDeviceOverride = QStringLiteral("/dev/null");  // must not divert the probes
        CConnection c;
        c.replyTimeout = 9000;
        CScanCOMDlg dlg(app, c);
        user.scan = &dlg;
        dlg.show();
        dlg.findChild<QSpinBox*>("1587")->setValue(3);
        dlg.findChild<QSpinBox*>("1584")->setValue(7);
        auto* start = dlg.findChild<QPushButton*>("1447");
        start->click();
        QVERIFY(!start->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(dlg.result(), int(QDialog::Accepted), 60000);
        QCOMPARE(c.comPort, 5u);
        QCOMPARE(c.replyTimeout, 1000u);
        QCOMPARE(user.MessageIds(), QList<int>{191});
        QVERIFY(user.shown[0].text.contains(QLatin1String("COM5")));
        QCOMPARE(user.scanningWhileShown, QList<bool>{false});
        QVERIFY(!app.IsConnected());
        QCOMPARE(app.serialDeviceOverride, QStringLiteral("/dev/null"));
        QCOMPARE(dlg.findChild<QProgressBar*>("1220")->value(), 5);
        device.server.Stop();
        QVERIFY(!device.model.Log().isEmpty());
        CSerialPortMap::SetOverride(5, m_home.filePath("no-such-port-5"));
    }

    void toBelowFromProbesOnePortAndTheTimerWaitsForMessages()
    {
        // A controller too old for the program: the probe shows message 334 and fails.
        CDeviceModel::Options old;
        old.firmware = 399;
        PtyDevice device(old);
        QVERIFY2(device.Start(), "socat pseudo-terminal pair");
        CSerialPortMap::SetOverride(5, device.ProgramEnd());
        ModalUser user;
        CKorvalisControlApp app;
        app.SetUserInteraction(&user);
        app.SetFramePause(0);
        CConnection c;
        CScanCOMDlg dlg(app, c);
        user.scan = &dlg;
        dlg.show();
        dlg.findChild<QSpinBox*>("1587")->setValue(5);
        dlg.findChild<QSpinBox*>("1584")->setValue(3);
        auto* start = dlg.findChild<QPushButton*>("1447");
        start->click();
        QCOMPARE(dlg.findChild<QSpinBox*>("1584")->value(), 5);
        QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 60000);
        // One probe, one message of its own, no probe nested inside it; then "none found".
        QCOMPARE(user.MessageIds(), (QList<int>{334, 190}));
        QCOMPARE(user.scanningWhileShown, (QList<bool>{false, false}));
        QVERIFY(dlg.isVisible());
        device.server.Stop();
        int identifications = 0;
        for (const CDeviceModel::Access& a : device.model.Log())
            identifications += a.kind == CDeviceModel::Access::Read && a.number == 2;
        QCOMPARE(identifications, 1);
        dlg.reject();
    }
};

QTEST_MAIN(CScanCOMDlgTest)
#include "CScanCOMDlg_test.moc"
