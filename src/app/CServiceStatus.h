// SPDX-License-Identifier: GPL-3.0-or-later
// The service's status file: korvalisd replaces it (atomically) whenever something changes;
// "korvalisd --status" and "korvalisctl service status" read it. One file per running
// service, in the service's runtime folder; a file whose process has ended counts as gone.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

class CServiceStatus {
public:
    // The runtime folder of this service: systemd's RUNTIME_DIRECTORY, else
    // $XDG_RUNTIME_DIR/korvalisd, else a folder of the user's own under /tmp.
    static QString OwnFolder();
    // Where readers look: the given folder, or the own folder and the system service's.
    static QStringList FoldersToRead(const QString& given = {});
    static QString FileName(quint16 port) { return QStringLiteral("status-%1.json").arg(port); }

    static bool Write(const QString& path, const QJsonObject& status, QString* error = nullptr);
    // The status of every live service found, oldest start first.
    static QList<QJsonObject> ReadAll(const QStringList& folders);
    // What a person reads: a few lines per service.
    static QString Format(const QJsonObject& status);
    // What "--status" prints for the services found in the folders (FoldersToRead(given)):
    // the lines of each, or one JSON array on one line. running says whether any was found.
    static QString Report(const QString& given, bool json, bool& running);
};
