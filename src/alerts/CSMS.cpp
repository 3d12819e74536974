// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/CSMS.h"

QString CSMS::NormalisePhoneNumber(const QString& typed) {
    QString out;
    for (int i = 0; i < typed.size(); ++i) {
        const QChar c = typed.at(i);
        if ((i == 0 && c == u'+') || (c >= u'0' && c <= u'9')) out.append(c);
    }
    if (!out.isEmpty() && !out.startsWith(u'+')) out.prepend(u'+');
    return out.left(MaxLength);
}

QString CSMS::FilterText(const QString& typed) {
    QString out;
    for (const QChar c : typed) {
        switch (c.unicode()) {
            case 0xC4: out += QStringLiteral("Ae"); continue;
            case 0xD6: out += QStringLiteral("Oe"); continue;
            case 0xDC: out += QStringLiteral("Ue"); continue;
            case 0xE4: out += QStringLiteral("ae"); continue;
            case 0xF6: out += QStringLiteral("oe"); continue;
            case 0xFC: out += QStringLiteral("ue"); continue;
            case 0xDF: out += QStringLiteral("ss"); continue;
            default: break;
        }
        if ((c >= u' ' && c <= u'z') || c == u'\r' || c == u'\n') out.append(c);
    }
    return out.left(MaxLength);
}
