// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/firmware/CGuiFirmwareTransferUi.h"

#include <QDir>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "pages/system/CDownloadWarning.h"
#include "ui/services/CFileDialogService.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/sheet/CMyPropertySheet.h"
#include "ui/services/CProgressDialog.h"

bool CGuiFirmwareTransferUi::ConfirmDownloadWarning() {
    return CDownloadWarning::Ask(&m_sheet);
}

QString CGuiFirmwareTransferUi::ChooseFirmwareFile() {
    return CFileDialogService::GetOpenFileName(Tr(20201), QDir::homePath(), Tr(235), &m_sheet);
}

std::unique_ptr<CTransferProgress> CGuiFirmwareTransferUi::OpenProgress() {
    // No cancel button: once the boot loader runs, stopping half-way leaves the controller
    // without firmware.
    return CProgressDialog::Open(&m_sheet, nullptr);
}

void CGuiFirmwareTransferUi::DisconnectAfterTransfer(CControllerAccess& controller) {
    m_sheet.DisconnectAfterTransfer();
    controller.UpdateTitle();
}
