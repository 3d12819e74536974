// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/services/CFileDialogService.h"

#include <QApplication>
#include <QFileDialog>

namespace {
CFileDialogService::Handler g_handler;

QWidget* ParentOr(QWidget* parent) {
    return parent ? parent : QApplication::activeWindow();
}
}  // namespace

QString CFileDialogService::GetOpenFileName(const QString& title, const QString& directory,
                                            const QString& filter, QWidget* parent) {
    if (g_handler) return g_handler({Kind::Open, title, directory, filter});
    return QFileDialog::getOpenFileName(ParentOr(parent), title, directory, filter);
}

QString CFileDialogService::GetSaveFileName(const QString& title, const QString& suggested,
                                            const QString& filter, QWidget* parent,
                                            bool confirmOverwrite) {
    if (g_handler) return g_handler({Kind::Save, title, suggested, filter, confirmOverwrite});
    return QFileDialog::getSaveFileName(
        ParentOr(parent), title, suggested, filter, nullptr,
        confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
}

QString CFileDialogService::GetExistingDirectory(const QString& title, const QString& directory,
                                                 QWidget* parent) {
    if (g_handler) return g_handler({Kind::Directory, title, directory, {}});
    return QFileDialog::getExistingDirectory(ParentOr(parent), title, directory);
}

void CFileDialogService::SetHandler(Handler handler) {
    g_handler = std::move(handler);
}

bool CFileDialogService::HasHandler() {
    return static_cast<bool>(g_handler);
}
