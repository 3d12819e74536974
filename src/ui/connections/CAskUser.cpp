// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CAskUser.h"

#include <QMessageBox>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"

int CAskUser::Ask(QWidget* parent, int stringId, CUserInteraction::Icon icon,
                  CUserInteraction::Buttons buttons, const QStringList& args)
{
    if (CKorvalisControlApp::HasInstance()) {
        if (CUserInteraction* ui = CKorvalisControlApp::Instance().UserInteraction())
            return ui->ShowMessage(stringId, icon, buttons, args);
    }
    using B = QMessageBox::StandardButton;
    QMessageBox::StandardButtons set = B::Ok;
    switch (buttons) {
    case CUserInteraction::Buttons::Ok: set = B::Ok; break;
    case CUserInteraction::Buttons::OkCancel: set = B::Ok | B::Cancel; break;
    case CUserInteraction::Buttons::YesNo: set = B::Yes | B::No; break;
    case CUserInteraction::Buttons::YesNoCancel: set = B::Yes | B::No | B::Cancel; break;
    case CUserInteraction::Buttons::AbortRetryIgnore: set = B::Abort | B::Retry | B::Ignore; break;
    }
    QMessageBox::Icon qicon = QMessageBox::Information;
    switch (icon) {
    case CUserInteraction::Icon::Stop: qicon = QMessageBox::Critical; break;
    case CUserInteraction::Icon::Warning: qicon = QMessageBox::Warning; break;
    case CUserInteraction::Icon::Question: qicon = QMessageBox::Question; break;
    case CUserInteraction::Icon::Information: qicon = QMessageBox::Information; break;
    }
    QMessageBox box(qicon, Tr(102), TrArg(stringId, args), set, parent);
    switch (box.exec()) {
    case B::Ok: return CUserInteraction::IdOk;
    case B::Yes: return CUserInteraction::IdYes;
    case B::No: return CUserInteraction::IdNo;
    case B::Abort: return CUserInteraction::IdAbort;
    case B::Retry: return CUserInteraction::IdRetry;
    case B::Ignore: return CUserInteraction::IdIgnore;
    default: return CUserInteraction::IdCancel;
    }
}
