// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/measurement/CGuiMeasDownloadUi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "lang/CLanguage.h"
#include "pages/measurement/CSaveMeasOptionsDlg.h"
#include "ui/services/CFileDialogService.h"
#include "ui/services/CProgressDialog.h"

CGuiMeasDownloadUi::CGuiMeasDownloadUi(QWidget* parent) : m_parent(parent) {}

CGuiMeasDownloadUi::~CGuiMeasDownloadUi() = default;

bool CGuiMeasDownloadUi::AskOptions(CSaveMeasOptions& options) {
    return CSaveMeasOptionsDlg::Ask(m_parent.data(), options);
}

QString CGuiMeasDownloadUi::AskFileName() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    // An existing file is the download's own question (append, replace or stop), so the
    // dialog does not ask about replacing it first.
    QString path =
        CFileDialogService::GetSaveFileName(Tr(20715), folder, Tr(390), m_parent.data(), false);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".txt");
    return path;
}

void CGuiMeasDownloadUi::ProgressBegin(int captionId, qint64 total) {
    m_cancelled = false;
    m_total = total;
    m_shown = -1;
    m_progress = std::make_unique<CProgressDialog>(m_parent.data(), &m_cancelled);
    m_progress->SetCaption(Tr(captionId));
    m_progress->SetRange(kProgressScale);
    m_progress->show();
    ProgressStep(0);
}

bool CGuiMeasDownloadUi::ProgressStep(qint64 done) {
    if (m_progress) {
        // Values run into the ten thousands: the window changes only when the bar moves.
        const int pos = ScaledProgress(done, m_total);
        if (pos != m_shown) {
            m_shown = pos;
            m_progress->SetPos(pos);
            m_progress->SetItemText(QStringLiteral("%1 / %2").arg(done).arg(m_total));
        }
    }
    QCoreApplication::processEvents();
    return !m_cancelled && !QCoreApplication::closingDown();
}

void CGuiMeasDownloadUi::ProgressEnd() {
    m_progress.reset();
}
