// SPDX-License-Identifier: GPL-3.0-or-later
// A main window connected to the device model through the in-memory channel, with a
// scripted user. Page tests use it like this:
//     CSheetRig rig(options);               // device model options: model, firmware, sensors
//     QVERIFY(rig.Connect());               // ConnectController, as the General page does
//     auto* page = rig.Activate<CPropertyPageSimulation>();   // reads the page
//     QCOMPARE(rig.ReadNumbers(), (QList<int>{...}));
//     rig.model.ClearLog();
//     QTest::keyClicks(page->findChild<QLineEdit*>("1351"), "8.29");
//     rig.Send();                           // the Send button
//     QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{1351, 829}}));
#pragma once

#include <QList>
#include <memory>

#include "app/CKorvalisControlApp.h"
#include "device/CDeviceModel.h"
#include "support/CScriptedUserInteraction.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/sheet/CMyPropertySheet.h"

class CSheetRig {
public:
    explicit CSheetRig(const CDeviceModel::Options& options = {}, int language = 1);
    ~CSheetRig();

    // Connects through the sheet; true when the application is connected afterwards.
    bool Connect();
    void Disconnect() { sheet->DisconnectController(false); }
    // The page of the class (and instance), activated; nullptr when the set has none.
    CMyPropertyPage* Activate(const QString& className, int instance = 0);
    template <class T>
    T* Activate(int instance = 0) {
        T* page = sheet->FindPage<T>(instance);
        if (page) sheet->ActivatePage(page);
        return page;
    }
    // Presses Send / Read as the user would (through the command, so its rules apply).
    void Send() { sheet->RunCommand(40026); }
    void Read() { sheet->RunCommand(40027); }
    // Lets queued work (re-layouts, page-set checks, deferred deletes) run.
    static void Settle();

    // The parameter numbers the controller was asked for, in order (reads only).
    QList<int> ReadNumbers() const;
    // The captions of the pages, in order.
    QStringList Captions() const;

    CDeviceModel model;
    CScriptedUserInteraction ui;
    CKorvalisControlApp app;
    CConnection connection;
    std::unique_ptr<CMyPropertySheet> sheet;
};
