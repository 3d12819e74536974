// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CAppVersion.h"

QString CAppVersion::Text()
{
    return QStringLiteral(KORVALIS_VERSION);
}

QString CAppVersion::VersionBlurb(const QString& program)
{
    return QStringLiteral("%1 %2\nLicence GPL-3.0-or-later: this is free software; there is NO WARRANTY.\n")
        .arg(program, Text());
}
