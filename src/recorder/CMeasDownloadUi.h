// SPDX-License-Identifier: GPL-3.0-or-later
// What a recorder download asks of the user beyond messages (those go through
// CUserInteraction): the export options, the file name and a progress window.
// The GUI and the command-line tool implement it.
#pragma once

#include <QString>
#include <QtGlobal>

#include "recorder/CSaveMeasOptions.h"

class CMeasDownloadUi {
public:
    virtual ~CMeasDownloadUi() = default;
    // The export options dialog; false when it did not end with OK.
    virtual bool AskOptions(CSaveMeasOptions& options) = 0;
    // The save dialog (default extension "txt", filter string 390); empty when cancelled.
    virtual QString AskFileName() = 0;
    // A progress window with the caption string for total steps. Counts may exceed any
    // widget's range: ScaledProgress maps them.
    virtual void ProgressBegin(int captionId, qint64 total) {}
    // After each step; false when the user cancelled. Lets pending window events run.
    virtual bool ProgressStep(qint64 done) { return true; }
    virtual void ProgressEnd() {}

    static constexpr int kProgressScale = 10000;
    static int ScaledProgress(qint64 done, qint64 total) {
        if (total <= 0) return kProgressScale;
        return static_cast<int>(qBound<qint64>(0, done, total) * kProgressScale / total);
    }
};
