// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/CGuiTransferUi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "lang/CLanguage.h"
#include "ui/services/CFileDialogService.h"
#include "ui/services/CMessageService.h"
#include "ui/services/CProgressDialog.h"

std::unique_ptr<CTransferProgress> CGuiTransferUi::OpenProgressWindow(bool* cancelFlag)
{
    return CProgressDialog::Open(m_parent.data(), cancelFlag);
}

bool CGuiTransferUi::PumpPendingMessages()
{
    QCoreApplication::processEvents();
    return !QCoreApplication::closingDown();
}

int CGuiTransferUi::ShowMessage(int stringId, CUserInteraction::Icon icon, CUserInteraction::Buttons buttons,
                                const QStringList& args)
{
    return CMessageService::ShowMessage(stringId, icon, buttons, args, m_parent.data());
}

QString CGuiTransferUi::GetSaveFileName(const QString& defaultName, const QString& defaultExtension,
                                        const QString& filter)
{
    const QString suggested = QDir::home().filePath(defaultName + QLatin1Char('.') + defaultExtension);
    QString path = CFileDialogService::GetSaveFileName(Tr(6115), suggested, filter, m_parent.data());
    // The dialog does not add the extension of the filter by itself.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + defaultExtension;
    return path;
}

QString CGuiTransferUi::GetOpenFileName(const QString& filter)
{
    return CFileDialogService::GetOpenFileName(Tr(6116), QDir::homePath(), filter, m_parent.data());
}
