// SPDX-License-Identifier: GPL-3.0-or-later
// Programs a heater on a 1-10 V interface: one of three settings, written to 1065.
#pragma once

#include "pages/interfaces/CProgCommandDialog.h"

class CProgPTC : public CProgCommandDialog {
    Q_OBJECT
public:
    static constexpr int kParameter = 1065;
    explicit CProgPTC(QWidget* parent = nullptr);
};
