// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/level/LevelChannelRecord.h"

#include "lang/CLanguage.h"

QString LevelChannelRecord::ModeName(int mode) {
    static const int names[8] = {StringId(405), StringId(406), StringId(407), StringId(408),
                                 StringId(409), StringId(410), StringId(440), StringId(466)};
    return mode >= 0 && mode < 8 ? Tr(names[mode]) : QString::number(mode);
}
