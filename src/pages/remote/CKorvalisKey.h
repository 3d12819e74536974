// SPDX-License-Identifier: GPL-3.0-or-later
// One key of the front-panel picture: its centre and the code the controller expects.
#pragma once

#include <cstdint>

class CKorvalisKey {
public:
    CKorvalisKey() = default;
    CKorvalisKey(int x, int y, uint8_t code) : x(x), y(y), code(code) {}
    virtual ~CKorvalisKey() = default;

    // The 30 x 30 square around the centre; left and top edges inside, right and bottom outside.
    bool Contains(int px, int py) const;
    int Distance(int px, int py) const;

    int x = 0;
    int y = 0;
    uint8_t code = 0;
};
