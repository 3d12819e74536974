// SPDX-License-Identifier: GPL-3.0-or-later
// The five settings-file commands in the main window's menu: when they are offered, and a
// save and a load through the menu with the file dialog answered.
#include <QTemporaryDir>
#include <QtTest/QtTest>

#include "link/CConnectionArray.h"
#include "params/CParameterArray.h"
#include "support/CSheetRig.h"

namespace {
const QList<int> kController{57603, 40016, 40002};
const QList<int> kSms{40032, 40033};

CDeviceModel::Options Opts(bool sms)
{
    CDeviceModel::Options o;
    o.productCode = 4;
    o.sms = sms;
    return o;
}
}  // namespace

class SettingsMenuCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void offeredWhileConnectedAndTheSmsModuleWasFound()
    {
        {
            CSheetRig rig(Opts(false));
            for (int id : kController + kSms)
                QVERIFY2(!rig.sheet->IsCommandEnabled(id), qPrintable(QString::number(id)));
            QVERIFY(rig.Connect());
            for (int id : kController)
                QVERIFY(rig.sheet->IsCommandEnabled(id));
            for (int id : kSms)
                QVERIFY(!rig.sheet->IsCommandEnabled(id));
        }
        // One application object and main window at a time.
        CSheetRig withSms(Opts(true));
        withSms.connection.smsModule = true;
        QVERIFY(withSms.Connect());
        for (int id : kController + kSms) QVERIFY(withSms.sheet->IsCommandEnabled(id));
    }

    void saveAndLoadThroughTheMenu()
    {
        QTemporaryDir dir;
        CSheetRig rig(Opts(false));
        QVERIFY(rig.Connect());
        rig.model.Controller().SetValue(500, 3);
        rig.ui.QueueFileName(dir.filePath(QStringLiteral("backup")));  // the extension is added
        QVERIFY(rig.sheet->RunCommand(57603));
        QCOMPARE(rig.ui.MessageIds(), QList<int>{174});
        CParameterArray saved;
        QCOMPARE(saved.LoadFromPath(dir.filePath(QStringLiteral("backup.par"))), CParameterArray::FileResult::Ok);
        CParameter timer;
        QVERIFY(saved.FindByNumber(500, timer));
        QCOMPARE(timer.Value, 3.0);

        rig.model.Controller().SetValue(500, 9);
        rig.model.ClearLog();
        rig.ui.QueueFileName(dir.filePath(QStringLiteral("backup.par")));
        QVERIFY(rig.sheet->RunCommand(40002));
        QCOMPARE(rig.model.Controller().Value(500), 3);
        QCOMPARE(rig.ui.MessageIds().last(), 174);
        QVERIFY(!rig.app.IsTransferInProgress());
    }

    void restoreKeepsTheNewBusAddressForTheNextConnect() {
        QTemporaryDir dir;
        CSheetRig rig(Opts(false));
        QVERIFY(rig.Connect());
        const auto restore = [&](int address) {
            const QString path = dir.filePath(QStringLiteral("a%1.par").arg(address));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("0, \"CODE_SOFTWAREVERSION\", " + QByteArray::number(rig.app.firmwareVersion) +
                    "\r\n2, \"CODE_PRODUCTID\", 4\r\n5, \"CODE_BUSADDRESS\", " +
                    QByteArray::number(address) + "\r\n500, \"T\", 2\r\n");
            f.close();
            rig.ui.QueueFileName(path);
            QVERIFY(rig.sheet->RunCommand(40002));
            QCOMPARE(rig.app.currentConnection.deviceAddress, uint32_t(address));
        };
        // The connection the window connects with follows: a reconnect finds the controller.
        restore(12);
        QVERIFY(rig.sheet->DisconnectController(false));
        rig.sheet->ConnectController(false);
        QVERIFY(rig.app.IsConnected());
        QCOMPARE(rig.app.currentConnection.deviceAddress, 12u);

        // Without one of its own, the stored selection does.
        rig.sheet->ClearConnectionOverride();
        QVERIFY(rig.app.Connections().Add(rig.app.currentConnection));
        QVERIFY(rig.app.Connections().Select(rig.app.Connections().GetCount() - 1));
        restore(7);
        QCOMPARE(rig.app.Connections().GetSelected().deviceAddress, 7u);
    }
};

QTEST_MAIN(SettingsMenuCommandsTest)
#include "SettingsMenuCommands_test.moc"
