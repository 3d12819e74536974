// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CSheetRig.h"

#include "ui/services/CGuiUserInteraction.h"

#include <QCoreApplication>
#include <QEvent>

#include "device/CMemoryChannel.h"

CSheetRig::CSheetRig(const CDeviceModel::Options& options, int language) : model(options) {
    app.SetUserInteraction(&ui);
    app.SetFramePause(0);
    app.LoadLanguage(language);
    app.SetChannelFactory(
        [this](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
    connection.replyTimeout = 100;
    sheet = std::make_unique<CMyPropertySheet>();
    sheet->SetConnectionOverride(connection);
    sheet->SetRestartWaitMs(0);
    ui.ForwardWindowTo(sheet->UserInteraction());
    sheet->Initialise();
}

CSheetRig::~CSheetRig() {
    sheet.reset();
    Settle();
}

bool CSheetRig::Connect() {
    sheet->SetConnectionOverride(connection);
    sheet->ConnectController(false);
    return app.IsConnected();
}

CMyPropertyPage* CSheetRig::Activate(const QString& className, int instance) {
    CMyPropertyPage* page = sheet->FindPage(className, instance);
    if (page) sheet->ActivatePage(page);
    return page;
}

void CSheetRig::Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QList<int> CSheetRig::ReadNumbers() const {
    QList<int> n;
    for (const CDeviceModel::Access& a : model.Log())
        if (a.kind == CDeviceModel::Access::Read) n << a.number;
    return n;
}

QStringList CSheetRig::Captions() const {
    QStringList c;
    for (const CMyPropertyPage* p : sheet->Pages()) c << p->Caption();
    return c;
}
