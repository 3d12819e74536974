// SPDX-License-Identifier: GPL-3.0-or-later
// The alert rules in the user's order.
#pragma once

#include <QList>

#include "alerts/CEmail.h"

class CEmailArray : public QList<CEmail> {
public:
    using QList<CEmail>::QList;

    // Whether index names a rule.
    bool IsValidIndex(qsizetype index) const { return index >= 0 && index < size(); }
    // The stored fields of both lists are equal (runtime fields are ignored).
    bool SameStoredFields(const CEmailArray& other) const;
};
