// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/remote/CKorvalisKey.h"

#include <cmath>

bool CKorvalisKey::Contains(int px, int py) const
{
    return px >= x - 15 && px < x + 15 && py >= y - 15 && py < y + 15;
}

int CKorvalisKey::Distance(int px, int py) const
{
    const double dx = px - x;
    const double dy = py - y;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy));
}
