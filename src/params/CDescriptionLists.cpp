// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CDescriptionLists.h"

#include "base/ModelInfo.h"
#include "params/CDescriptionFile.h"

QString CDescriptionLists::FileName(int list)
{
    switch (list) {
    case Illumination: return QStringLiteral("IlluminationDescriptions.dat");
    case Timer: return QStringLiteral("TimerDescriptions.dat");
    case Level: return QStringLiteral("LevelDescriptions.dat");
    case DigitalInput: return QStringLiteral("DigitalInputDescriptions.dat");
    default: return QString();
    }
}

int CDescriptionLists::LineCount(const ModelInfo& model, int list)
{
    switch (list) {
    case Illumination: return model.illuminationChannels;
    case Timer: return model.timers;
    case Level: return model.levelChannels;
    case DigitalInput: return 4;
    default: return 0;
    }
}

bool CDescriptionLists::LoadDescriptions(const CControllerFolder& controller, const ModelInfo* model, Lists& lists)
{
    for (QStringList& l : lists)
        l.clear();
    if (!model)
        return false;
    for (int list = 0; list < ListCount; ++list)
        lists[list] = CDescriptionFile::Load(controller, FileName(list), LineCount(*model, list));
    return true;
}

void CDescriptionLists::SaveDescriptions(const CControllerFolder& controller, const ModelInfo* model, bool loaded,
                                         const Lists& lists)
{
    // Only lists loaded by this connect belong to the serial number now known; a connect
    // that failed half-way has a model but lists of another controller (or none).
    if (!model || !loaded)
        return;
    for (int list = 0; list < ListCount; ++list) {
        const QStringList& names = lists[list];
        if (names.size() != LineCount(*model, list))
            continue;
        CDescriptionFile::Save(controller, FileName(list), names);
    }
}
