// SPDX-License-Identifier: GPL-3.0-or-later
// Power-strip wizard, strip with four sockets: as the six-socket page, three followers.
#pragma once

#include "pages/outputs/CProgPowerbarWiz2.h"

class CProgPowerbarWiz3 : public CProgPowerbarWiz2 {
    Q_OBJECT
public:
    explicit CProgPowerbarWiz3(QWidget* parent = nullptr);
};
