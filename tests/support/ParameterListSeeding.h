// SPDX-License-Identifier: GPL-3.0-or-later
// Fills a device model's parameter memory from a parameter list (the shipped defaults, or a
// settings file), keeping the identification the model was created with.
#pragma once

#include "device/CBusDevice.h"
#include "device/CParameterListSeed.h"
#include "params/CParameterArray.h"

inline void SeedFromList(CBusDevice& device, const CParameterArray& list)
{
    CParameterListSeed::Seed(device, list);
}
