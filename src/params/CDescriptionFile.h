// SPDX-License-Identifier: GPL-3.0-or-later
// The user's names for a function's channels, one line per channel in the controller folder.
// Files are ISO-8859-1 with CR LF line ends, so files from the other platform read back with
// the same letters. Every error is silent: an unreadable file gives empty names, an
// unwritable one is skipped.
#pragma once

#include <QString>
#include <QStringList>

class CControllerFolder;
class QIODevice;

class CDescriptionFile {
public:
    // Longest description kept from a file; the rest of such a line is skipped, so a
    // damaged file cannot make the program allocate without bound.
    static constexpr int kMaxLineBytes = 4096;

    // Exactly count descriptions from fileName in the controller folder: a missing file or
    // missing lines give empty strings, surplus lines are ignored. Nothing is read (all
    // empty) while there is no controller folder (nothing connected).
    static QStringList Load(const CControllerFolder& controller, const QString& fileName, int count);
    // Replaces fileName in the controller folder with one line per description. False when
    // not connected or the file could not be written; the previous file then stays intact.
    static bool Save(const CControllerFolder& controller, const QString& fileName,
                     const QStringList& descriptions);

    // The same for a given path or device.
    static QStringList ReadLines(QIODevice& in, int count);
    static QStringList ReadFile(const QString& path, int count);
    static bool WriteFile(const QString& path, const QStringList& descriptions);
    // The bytes WriteFile stores.
    static QByteArray Encode(const QStringList& descriptions);

    // A description as it can be stored: a line break would shift every following name, so
    // each CR, LF or CR LF becomes one blank.
    static QString Storable(const QString& description);
};
