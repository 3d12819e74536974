// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CClockBehaviour.h"

#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"

CClockBehaviour::CClockBehaviour(CDeviceClock& clock, int timeParameter, int dateParameter)
    : m_clock(clock), m_time(timeParameter), m_date(dateParameter)
{
}

bool CClockBehaviour::IsVolatile(int number) const
{
    return number == m_time || (m_date >= 0 && number == m_date);
}

void CClockBehaviour::Attach(CBusDevice& device)
{
    device.AddBeforeRead([this](CBusDevice& d, int n) {
        if (n == m_time)
            d.SetValue(n, m_clock.MinuteOfDay());
        else if (m_date >= 0 && n == m_date)
            d.SetValue(n, m_clock.DayNumber());
    });
    device.AddWriteCheck([this](CBusDevice&, int n, int64_t v) -> uint8_t {
        if (n == m_time && (v < 0 || v >= 24 * 60))
            return CBusDevice::kRefusalValue;
        if (m_date >= 0 && n == m_date && (v < 0 || v > kLastDay))
            return CBusDevice::kRefusalValue;
        return 0;
    });
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n == m_time)
            m_clock.SetMinuteOfDay(static_cast<int>(d.Value(n)));
        else if (m_date >= 0 && n == m_date)
            m_clock.SetDayNumber(static_cast<int>(d.Value(n)));
    });
}
