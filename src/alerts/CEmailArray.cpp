// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/CEmailArray.h"

bool CEmailArray::SameStoredFields(const CEmailArray& other) const
{
    if (size() != other.size())
        return false;
    for (qsizetype i = 0; i < size(); ++i)
        if (!at(i).SameStoredFields(other.at(i)))
            return false;
    return true;
}
