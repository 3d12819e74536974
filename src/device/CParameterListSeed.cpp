// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CParameterListSeed.h"

#include "device/CBusDevice.h"
#include "device/CDeviceModel.h"
#include "params/CParameterArray.h"

void CParameterListSeed::Seed(CBusDevice& device, const CParameterArray& list)
{
    for (const CParameter& p : list) {
        // Identity and bus address come from the device's own options, not from a list.
        if (p.Number == 0 || p.Number == 2 || p.Number == 5 || p.Number == 6)
            continue;
        if (p.Kind == CParameter::TextKind)
            device.SetText(p.Number, p.TextBytes());
        else
            device.SetValue(p.Number, p.FileValue());
    }
}

QStringList CParameterListSeed::SeedFromFolder(CDeviceModel& model, const QString& folder)
{
    QStringList missing;
    const auto seed = [&](CBusDevice& device) {
        const int version = static_cast<int>(device.Value(0));
        CParameterArray list;
        if (list.LoadParameterList(folder, device.ProductCode(), version) == CParameterArray::FileResult::Ok)
            Seed(device, list);
        else
            missing << CParameterArray::ListFilePath(folder, version, device.ProductCode());
    };
    seed(model.Controller());
    if (model.SmsModule())
        seed(*model.SmsModule());
    return missing;
}
