// SPDX-License-Identifier: GPL-3.0-or-later
// Fills a device model's parameter memory from a parameter list (the shipped defaults, or a
// settings file), keeping the identification the model was created with.
#pragma once

#include "device/CBusDevice.h"
#include "params/CParameterArray.h"

inline void SeedFromList(CBusDevice& device, const CParameterArray& list)
{
    for (const CParameter& p : list) {
        if (p.Number == 0 || p.Number == 2 || p.Number == 6) continue;
        if (p.Kind == CParameter::TextKind)
            device.SetText(p.Number, p.TextBytes());
        else
            device.SetValue(p.Number, p.FileValue());
    }
}
