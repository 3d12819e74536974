// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/interfaces/CProgLED.h"

#include "lang/CLanguage.h"

// The lamp's own codes: the list's fifth entry (100) lies between the first ones.
CProgLED::CProgLED(QWidget* parent)
    : CProgCommandDialog({226, StringId(22601), StringId(22609), StringId(22602), StringId(273), kParameter,
                          {75, 125, 175, 225, 100, 150, 200}},
                         parent) {}
