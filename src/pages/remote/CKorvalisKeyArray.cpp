// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/remote/CKorvalisKeyArray.h"

CKorvalisKeyArray CKorvalisKeyArray::PanelKeys()
{
    CKorvalisKeyArray keys;
    keys << CKorvalisKey(26, 56, 7) << CKorvalisKey(70, 56, 8) << CKorvalisKey(112, 56, 10)
         << CKorvalisKey(156, 56, 9) << CKorvalisKey(200, 56, 12) << CKorvalisKey(422, 37, 1)
         << CKorvalisKey(448, 11, 3) << CKorvalisKey(476, 37, 2) << CKorvalisKey(448, 63, 4)
         << CKorvalisKey(448, 37, 6) << CKorvalisKey(506, 55, 5);
    return keys;
}

uint8_t CKorvalisKeyArray::FindKey(int x, int y) const
{
    uint8_t code = 0;
    int best = 1000;
    for (const CKorvalisKey& key : *this) {
        if (!key.Contains(x, y))
            continue;
        const int d = key.Distance(x, y);
        if (d < best) {
            best = d;
            code = key.code;
        }
    }
    return code;
}
