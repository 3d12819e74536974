// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/ModuleInfo.h"

namespace {
// In lookup order, ended by code 0.
constexpr ModuleInfo kModules[] = {
    {1, {0, 0}, 0, 0, "SERIAL"},
    {2, {0, 0}, 0, 0, "WLAN"},
    {3, {0, 0}, 0, 0, "LAN"},
    {8, {0, 0}, 0, 0, "DALI"},
    {9, {0, 0}, 2, 4, "2L4S"},
    {10, {8, 7}, 0, 0, "HUMI & TEMP"},
    {12, {10, 10}, 0, 0, "ADIN"},
    {11, {0, 0}, 4, 0, "4L"},
    {32, {2, 0}, 0, 0, "PH"},
    {33, {3, 0}, 0, 0, "REDOX"},
    {34, {5, 0}, 0, 0, "COND S"},
    {39, {4, 0}, 0, 0, "COND F"},
    {35, {1, 0}, 0, 0, "TEMP"},
    {36, {2, 1}, 0, 0, "PH & TEMP"},
    {40, {4, 3}, 0, 0, "COND F & REDOX"},
    {41, {5, 3}, 0, 0, "COND S & REDOX"},
    {38, {5, 2}, 0, 0, "COND S & PH"},
    {37, {4, 2}, 0, 0, "COND F & PH"},
    {42, {9, 0}, 0, 0, "OXYGEN"},
    {43, {2, 3}, 0, 0, "PH & REDOX"},
    {0, {0, 0}, 0, 0, ""},
};
}  // namespace

const ModuleInfo* ModuleInfo::Find(int code) {
    // Code 0 ends the table: it is no module.
    for (const ModuleInfo* m = kModules; m->code != 0; ++m)
        if (m->code == code) return m;
    return nullptr;
}
