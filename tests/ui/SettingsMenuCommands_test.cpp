// SPDX-License-Identifier: GPL-3.0-or-later
// The five settings-file commands in the main window's menu: when they are offered, and a
// save and a load through the menu with the file dialog answered.
#include <QTemporaryDir>
#include <QtTest/QtTest>

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
};

QTEST_MAIN(SettingsMenuCommandsTest)
#include "SettingsMenuCommands_test.moc"
