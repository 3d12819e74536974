// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware command in the main window's menu, against the device model's boot loader:
// offered while connected, the warning and file dialogs, and the page set rebuilt for no
// controller at the end.
#include <QAction>
#include <QTemporaryDir>
#include <QtTest/QtTest>

#include "device/CBootLoader.h"
#include "lang/CLanguage.h"
#include "pages/system/CDownloadWarning.h"
#include "support/CSheetRig.h"
#include "support/SRecordMaker.h"
#include "ui/services/CFileDialogService.h"
#include "ui/services/CProgressDialog.h"

class FirmwareMenuCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void transfersAndDisconnects() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fw.s28"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // The image makes the device report 4.10 after its restart.
        f.write(SRecordMaker::Line(2, CBootLoader::kVersionAddress, QByteArray("\x01\x9a", 2)) +
                "\r\n" + SRecordMaker::Image(300));
        f.close();

        CSheetRig rig;
        CBootLoader loader(rig.model);
        QVERIFY(!rig.sheet->IsCommandEnabled(40013));
        QVERIFY(rig.Connect());
        QVERIFY(rig.sheet->IsCommandEnabled(40013));
        QCOMPARE(rig.sheet->CommandAction(40013)->text(), Tr(20210));
        const int connectedPages = rig.sheet->PageCount();

        int warnings = 0;
        CDownloadWarning::SetHandler([&] { return ++warnings > 0; });
        QString filter;
        CFileDialogService::SetHandler([&](const CFileDialogService::Request& r) {
            filter = r.filter;
            return path;
        });
        rig.ui.QueueAnswer(CUserInteraction::IdOk);  // message 129
        QVERIFY(rig.sheet->RunCommand(40013));
        CDownloadWarning::SetHandler({});

        QCOMPARE(warnings, 1);
        QCOMPARE(filter, Tr(235));
        QCOMPARE(rig.ui.MessageIds(), (QList<int>{129, 132}));
        QCOMPARE(loader.Restarts(), 1);
        QVERIFY(!rig.app.IsConnected());
        QVERIFY(!rig.sheet->PageSetIsConnected());
        QVERIFY(rig.sheet->PageCount() < connectedPages);
        QVERIFY(!rig.sheet->IsCommandEnabled(40013));
        QVERIFY(rig.sheet->findChildren<CProgressDialog*>().isEmpty());

        QVERIFY(rig.Connect());
        QCOMPARE(rig.app.FirmwareVersion(), int16_t(410));
    }
};

QTEST_MAIN(FirmwareMenuCommandTest)
#include "FirmwareMenuCommand_test.moc"
