// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/interfaces/CProgPTC.h"

#include "lang/CLanguage.h"

CProgPTC::CProgPTC(QWidget* parent)
    : CProgCommandDialog({23179, StringId(47901), StringId(47905), StringId(47902), StringId(370), kParameter, {2, 3, 4}},
                         parent) {}
