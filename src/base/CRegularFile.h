// SPDX-License-Identifier: GPL-3.0-or-later
// Files the program reads or replaces must be regular files. Opening a FIFO for reading
// blocks until a writer appears, a device never ends, and an atomic save onto a device node
// or a symbolic link would replace the node or the link with a plain file.
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

class CRegularFile {
public:
    // Opens the file (its name set) read-only when it is a regular file, without ever
    // blocking on a FIFO. False otherwise, with the reason in *why ("is a directory", ...).
    static bool OpenForReading(QFile& file, QString* why = nullptr);
    // Where an atomic save of path must go: path itself, or the file a symbolic link leads
    // to, so that the link stays. Empty when that exists and is not a regular file.
    static QString SaveTarget(const QString& path, QString* why = nullptr);
    // Replaces the file at SaveTarget(path) with bytes atomically: a crash leaves the old
    // file. False with the reason in *why.
    static bool Replace(const QString& path, const QByteArray& bytes, QString* why = nullptr);
};
