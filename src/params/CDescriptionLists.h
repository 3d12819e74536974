// SPDX-License-Identifier: GPL-3.0-or-later
// The four description lists the application keeps while connected (illumination channels,
// timers, level channels, digital inputs): loaded when a connect succeeds, saved when the
// connection is closed. Pages edit the lists in memory.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

class CControllerFolder;
struct ModelInfo;

class CDescriptionLists {
public:
    enum List { Illumination = 0, Timer = 1, Level = 2, DigitalInput = 3, ListCount = 4 };
    using Lists = std::array<QStringList, ListCount>;

    static QString FileName(int list);
    // Lines the list has for a model (digital inputs: always four).
    static int LineCount(const ModelInfo& model, int list);

    // Fills lists from the controller folder for the connected model. Without a model they
    // stay empty and the result is false: nothing was loaded that a save may write back.
    static bool LoadDescriptions(const CControllerFolder& controller, const ModelInfo* model, Lists& lists);
    // Writes every list that was loaded for the connected model; a list whose length does
    // not fit the model is left alone so that a half-made connect cannot blank a file.
    static void SaveDescriptions(const CControllerFolder& controller, const ModelInfo* model, bool loaded,
                                 const Lists& lists);
};
