// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CConnectionCommands.h"

#include <memory>

#include "app/CKorvalisControlApp.h"
#include "link/CNetworkDiscovery.h"
#include "ui/connections/CConnectionsDlg.h"
#include "ui/connections/CDeviceAddressDlg.h"
#include "ui/connections/CDiscoveryDialogs.h"
#include "ui/connections/CLantronixConfig.h"

void CConnectionCommands::InstallDiscoveryDialogs(QWidget* mainWindow)
{
    static std::unique_ptr<CDiscoveryDialogs> dialogs;
    dialogs = std::make_unique<CDiscoveryDialogs>(mainWindow);
    CNetworkDiscovery::SetUserInterface(dialogs.get());
}

void CConnectionCommands::OpenConnectionsDialog(QWidget* parent)
{
    CConnectionsDlg dlg(CKorvalisControlApp::Instance(), parent);
    dlg.exec();
}

uint16_t CConnectionCommands::SetDeviceAddress(QWidget* parent)
{
    return CDeviceAddressDlg::RunCommand(CKorvalisControlApp::Instance(), parent);
}

uint16_t CConnectionCommands::ConfigureNetworkModule(QWidget* parent, uint8_t moduleIndex, bool wireless)
{
    CLantronixConfig dlg(CKorvalisControlApp::Instance(), moduleIndex, wireless, parent);
    dlg.exec();
    return dlg.WriteStatus();
}
