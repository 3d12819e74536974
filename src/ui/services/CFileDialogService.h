// SPDX-License-Identifier: GPL-3.0-or-later
// Open and save file dialogs. Tests install a handler that answers with scripted names.
#pragma once

#include <QString>
#include <functional>

class QWidget;

class CFileDialogService {
public:
    enum class Kind { Open, Save, Directory };
    struct Request {
        Kind kind = Kind::Open;
        QString title;
        QString directory;  // start folder or suggested file name
        QString filter;     // "Settings (*.par);;All files (*)"
        bool confirmOverwrite = true;  // saving: the dialog asks before replacing a file
    };
    // Returns the chosen path, empty when cancelled.
    using Handler = std::function<QString(const Request&)>;

    static QString GetOpenFileName(const QString& title, const QString& directory,
                                   const QString& filter, QWidget* parent = nullptr);
    // Saving asks before replacing an existing file (the dialog's own question) unless the
    // caller asks about an existing file itself.
    static QString GetSaveFileName(const QString& title, const QString& suggested,
                                   const QString& filter, QWidget* parent = nullptr,
                                   bool confirmOverwrite = true);
    static QString GetExistingDirectory(const QString& title, const QString& directory,
                                        QWidget* parent = nullptr);

    static void SetHandler(Handler handler);
    static bool HasHandler();
};
