// SPDX-License-Identifier: GPL-3.0-or-later
// Stored connections name serial ports by number, as on the platform the files come from.
// Default scheme: 1..16 -> /dev/ttyUSB0..15, 17..32 -> /dev/ttyACM0..15, 33..64 -> /dev/ttyS0..31.
// A per-user override ("SerialPorts"/"COM<n>" in the profile) maps any number to any path,
// such as a /dev/serial/by-id name or a pseudo-terminal.
#pragma once

#include <QString>
#include <cstdint>

class CSerialPortMap {
public:
    static QString DefaultDevicePath(uint32_t portNumber);
    // Override when one is stored, else the default scheme.
    static QString DevicePath(uint32_t portNumber);
    // Stores (or with an empty path, removes) the override of a port number.
    static void SetOverride(uint32_t portNumber, const QString& devicePath);
    static QString Override(uint32_t portNumber);
    // The port number whose mapping gives this path: an existing override or the default
    // scheme; 0 when none does.
    static uint32_t NumberForPath(const QString& devicePath);
};
