// SPDX-License-Identifier: GPL-3.0-or-later
// Entry points of the connection dialogs for the main window's commands.
#pragma once

#include <cstdint>

class QWidget;

class CConnectionCommands {
public:
    // Once at start: network-module discovery for "<AUTO>" connections shows its progress
    // window, the choice among modules and message 412 over this window.
    static void InstallDiscoveryDialogs(QWidget* mainWindow);
    // Command 40029 (and the offer after a failed connect): the connections dialog, modal.
    static void OpenConnectionsDialog(QWidget* parent);
    // Command 40008: the device-address dialog on the selected connection; the status of the
    // controller's write (0 when it went through, nothing was written or the user cancelled).
    static uint16_t SetDeviceAddress(QWidget* parent);
    // The System page's network-module button: wireless (code 2) or wired (code 3) module k.
    // The status of its write (0 also when nothing was written).
    static uint16_t ConfigureNetworkModule(QWidget* parent, uint8_t moduleIndex, bool wireless);
};
