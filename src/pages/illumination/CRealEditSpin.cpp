// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CRealEditSpin.h"

#include <QLocale>

CRealEditSpin::CRealEditSpin(int editId, double factor, double minimum, double maximum,
                             QWidget* parent)
    : CEditSpin(editId, factor, minimum, maximum, parent) {
    setDecimals(6);
    // setDecimals rounds the range; give it back exactly.
    setRange(minimum, maximum);
}

QString CRealEditSpin::textFromValue(double value) const {
    QLocale l = locale();
    l.setNumberOptions(l.numberOptions() | QLocale::OmitGroupSeparator);
    return l.toString(value, 'g', 15);
}
