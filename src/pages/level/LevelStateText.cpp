// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/level/LevelStateText.h"

#include "lang/CLanguage.h"

QString LevelStateText::Text(int state) {
    static const int texts[3] = {StringId(360), StringId(361), StringId(362)};
    return state >= 0 && state < 3 ? Tr(texts[state]) : TrArg(46910, {QString::number(state)});
}
