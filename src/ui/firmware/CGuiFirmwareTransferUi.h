// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's side of the firmware transfer: the download warning, the open dialog for the
// firmware file, the progress window without a cancel button, and the disconnect at the end
// through the main window, so that its page set is rebuilt for no controller.
#pragma once

#include "firmware/CFirmwareTransfer.h"

class CMyPropertySheet;

class CGuiFirmwareTransferUi : public CFirmwareTransferUi {
public:
    explicit CGuiFirmwareTransferUi(CMyPropertySheet& sheet) : m_sheet(sheet) {}

    bool ConfirmDownloadWarning() override;
    QString ChooseFirmwareFile() override;
    std::unique_ptr<CTransferProgress> OpenProgress() override;
    void DisconnectAfterTransfer(CControllerAccess& controller) override;

private:
    CMyPropertySheet& m_sheet;
};
