// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's saved parameters, so a demo keeps its configuration between runs.
// Text file, one parameter per line: "<device> <number> <value>" with device C (controller)
// or S (SMS module); a byte-string value is written as ":" and its bytes in hex.
// Identification, read-only and live parameters are not kept.
#pragma once

#include <QString>
#include <functional>

class CBusDevice;
class CDeviceModel;

class CEmulatorState {
public:
    // Whether a parameter of a device is left out of the saved state.
    using Skip = std::function<bool(int number, bool smsModule)>;

    // Reads the file into the devices (a missing file is not an error: nothing to load).
    // keepAddress: parameter 5 of the file does not move the controller's bus address.
    static bool Load(const QString& path, CDeviceModel& model, bool keepAddress, QString& error);
    // Writes every parameter that is not skipped; the previous file stays intact on failure.
    static bool Save(const QString& path, CDeviceModel& model, const Skip& skip, QString& error);
};
