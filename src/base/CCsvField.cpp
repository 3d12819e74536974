// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/CCsvField.h"

QString CCsvField::Text(const QString& text, bool alwaysQuoted) {
    QString t = text;
    const bool negative = t.size() > 1 && t.front() == QLatin1Char('-') && t[1].isDigit();
    if (!t.isEmpty() && QStringLiteral("=+-@").contains(t.front()) && !negative) t.prepend(QLatin1Char('\''));
    const bool needsQuotes = alwaysQuoted || t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) ||
                             t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r'));
    if (!needsQuotes) return t;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}
