// SPDX-License-Identifier: GPL-3.0-or-later
// Fills a virtual device's parameter memory from a parameter list (the shipped defaults of
// its model and firmware, or a settings file), keeping the identity the device was created
// with: version, product code, serial number and bus address stay as they are.
#pragma once

#include <QString>
#include <QStringList>

class CBusDevice;
class CDeviceModel;
class CParameterArray;

class CParameterListSeed {
public:
    static void Seed(CBusDevice& device, const CParameterArray& list);
    // Seeds the controller and, when present, the SMS module from the lists shipped for
    // their product codes and firmware versions in folder. Returns the names of the lists
    // that could not be loaded (the device then keeps its built-in defaults).
    static QStringList SeedFromFolder(CDeviceModel& model, const QString& folder);
};
