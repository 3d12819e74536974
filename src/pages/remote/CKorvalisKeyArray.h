// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's keys, at the coordinates of the panel picture.
#pragma once

#include <QList>
#include <cstdint>

#include "pages/remote/CKorvalisKey.h"

class CKorvalisKeyArray : public QList<CKorvalisKey> {
public:
    // The eleven keys of the panel, in the order of the picture.
    static CKorvalisKeyArray PanelKeys();
    // The code of the nearest key whose square holds the point; 0 when none does.
    uint8_t FindKey(int x, int y) const;
};
