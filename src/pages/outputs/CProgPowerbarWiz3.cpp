// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CProgPowerbarWiz3.h"

#include "lang/CLanguage.h"

CProgPowerbarWiz3::CProgPowerbarWiz3(QWidget* parent) : CProgPowerbarWiz2(23165, 3, StringId(36247), parent) {}
