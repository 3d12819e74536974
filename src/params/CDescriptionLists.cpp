// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CDescriptionLists.h"

#include "app/CKorvalisControlApp.h"
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

void CDescriptionLists::LoadDescriptions(CKorvalisControlApp& app)
{
    app.descriptionsLoaded = false;
    for (QStringList& l : app.descriptionLists)
        l.clear();
    if (!app.model)
        return;
    for (int list = 0; list < ListCount; ++list)
        app.descriptionLists[list] = CDescriptionFile::Load(app, FileName(list), LineCount(*app.model, list));
    app.descriptionsLoaded = true;
}

void CDescriptionLists::SaveDescriptions(CKorvalisControlApp& app)
{
    // Only lists loaded by this connect belong to the serial number now known; a connect
    // that failed half-way has a model but lists of another controller (or none).
    if (!app.model || !app.descriptionsLoaded)
        return;
    for (int list = 0; list < ListCount; ++list) {
        const QStringList& names = app.descriptionLists[list];
        if (names.size() != LineCount(*app.model, list))
            continue;
        CDescriptionFile::Save(app, FileName(list), names);
    }
}
