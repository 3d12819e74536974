// SPDX-License-Identifier: GPL-3.0-or-later
// Programs an LED lamp on a 1-10 V interface: one of seven settings, written to 1052.
#pragma once

#include "pages/interfaces/CProgCommandDialog.h"

class CProgLED : public CProgCommandDialog {
    Q_OBJECT
public:
    static constexpr int kParameter = 1052;
    explicit CProgLED(QWidget* parent = nullptr);
};
