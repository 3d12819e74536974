// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's side of a recorder download: the export options dialog, the save dialog and
// the progress window with its cancel button.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "recorder/CMeasDownloadUi.h"

class CProgressDialog;

class CGuiMeasDownloadUi : public CMeasDownloadUi {
public:
    explicit CGuiMeasDownloadUi(QWidget* parent);
    ~CGuiMeasDownloadUi() override;

    bool AskOptions(CSaveMeasOptions& options) override;
    QString AskFileName() override;
    void ProgressBegin(int captionId, qint64 total) override;
    bool ProgressStep(qint64 done) override;
    void ProgressEnd() override;

private:
    QPointer<QWidget> m_parent;
    std::unique_ptr<CProgressDialog> m_progress;
    bool m_cancelled = false;
    qint64 m_total = 0;
    int m_shown = -1;
};
