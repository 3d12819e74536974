// SPDX-License-Identifier: GPL-3.0-or-later
// The program's log: every message still goes to stderr; the program's own messages
// (categories "korvalis.*", information and worse) are also appended to a file in the data
// folder, so that a failure that happened while nobody watched (an alert e-mail that was
// not sent, say) can be looked up later. The file is kept small: past MaxBytes it moves to
// "<name>.1", replacing the older one.
#pragma once

#include <QString>

class CAppLog {
public:
    static constexpr qint64 MaxBytes = 1 << 20;

    static QString FileName() { return QStringLiteral("KorvalisControl.log"); }
    // Starts logging into folder/FileName(); an empty folder logs to stderr only.
    static void Install(const QString& folder);
    static void Uninstall();
    static QString FilePath();
};
