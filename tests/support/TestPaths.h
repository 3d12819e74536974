// SPDX-License-Identifier: GPL-3.0-or-later
// Where the build put the programs and data that tests start or read.
#pragma once

#include <QString>

namespace TestPaths {
inline QString SourceDir() { return QStringLiteral(KORVALIS_SOURCE_DIR); }
inline QString BinDir() { return QStringLiteral(KORVALIS_BIN_DIR); }
inline QString ShareDir() { return QStringLiteral(KORVALIS_SHARE_DIR); }
inline QString Program(const char* name) { return BinDir() + QLatin1Char('/') + QLatin1String(name); }
}  // namespace TestPaths
