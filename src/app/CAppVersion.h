// SPDX-License-Identifier: GPL-3.0-or-later
// The program's version, from the project's CMake version; one file carries it, so a new
// version recompiles one file.
#pragma once

#include <QString>

class CAppVersion {
public:
    static QString Text();  // "0.1.0"
    // "korvalisctl 0.1.0" and the licence line, as --version prints it.
    static QString VersionBlurb(const QString& program);
};
