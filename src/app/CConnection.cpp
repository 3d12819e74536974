// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CConnection.h"

#include <algorithm>

#include "lang/CLanguage.h"

CConnection::CConnection() : name(Tr(188)) {}

uint16_t CConnection::EffectiveTimeout() const
{
    return static_cast<uint16_t>(std::clamp<uint32_t>(replyTimeout, 100, 65535));
}
