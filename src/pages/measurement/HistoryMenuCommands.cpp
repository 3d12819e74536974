// SPDX-License-Identifier: GPL-3.0-or-later
// The measured-value history in the File menu: the viewer, and importing measured-value files
// into a controller's history. Both work without a connection; the connected controller is
// the one offered first.
#include <QFileDialog>
#include <QInputDialog>

#include "lang/CLanguage.h"
#include "pages/measurement/CHistoryDialog.h"
#include "recorder/CMeasHistory.h"
#include "ui/page/CMyPropertyPage.h"
#include "params/CControllerView.h"
#include "ui/services/CFileDialogService.h"
#include "ui/sheet/CMyPropertySheet.h"

namespace {
using S = CMyPropertySheet;

quint32 ConnectedSerial() {
    return CMyPropertyPage::Controller().IsConnected() ? CMyPropertyPage::Controller().SerialNumber() : 0;
}

// The controller the files belong to: the connected one, else asked for among the known
// ones (or typed). 0 when cancelled.
quint32 AskSerial(QWidget* parent) {
    if (const quint32 serial = ConnectedSerial()) return serial;
    QStringList known;
    for (quint32 s : CMeasHistory::KnownSerials()) known << QString::number(s);
    bool ok = false;
    const QString text = QInputDialog::getItem(parent, Tr(53017), Tr(53018), known, 0, true, &ok);
    const quint32 serial = ok ? text.trimmed().toUInt(&ok) : 0;
    return ok ? serial : 0;
}

const S::CommandRegistrar kShowHistory([] {
    S::Command c;
    c.id = 40060;
    c.menu = S::MenuFile;
    c.order = 300;
    c.separatorBefore = true;
    c.textId = StringId(53016);
    c.run = [](S& sheet) { CHistoryDialog::ShowModal(&sheet, ConnectedSerial(), CMyPropertyPage::UserInteraction()); };
    return c;
}());

const S::CommandRegistrar kImportIntoHistory([] {
    S::Command c;
    c.id = 40061;
    c.menu = S::MenuFile;
    c.order = 310;
    c.textId = StringId(53017);
    c.run = [](S& sheet) {
        const quint32 serial = AskSerial(&sheet);
        if (!serial) return;
        // Tests answer file dialogs through the service, one file at a time.
        QStringList files;
        if (CFileDialogService::HasHandler())
            files << CFileDialogService::GetOpenFileName(Tr(53027), QString(), Tr(53028), &sheet);
        else
            files = QFileDialog::getOpenFileNames(&sheet, Tr(53027), QString(), Tr(53028));
        files.removeAll(QString());
        CHistoryDialog::ImportFiles(serial, files, CMyPropertyPage::UserInteraction());
    };
    return c;
}());
}  // namespace
