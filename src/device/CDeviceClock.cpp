// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CDeviceClock.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>

CDeviceClock::CDeviceClock()
{
    m_real.start();
    const QDateTime now = QDateTime::currentDateTime();
    const int64_t day = QDate(2000, 1, 1).daysTo(now.date());
    m_wallAtZero = day * kMsPerDay + now.time().msecsSinceStartOfDay();
}

int64_t CDeviceClock::RawRealMs() const
{
    return m_manual ? m_manualMs : m_realBase + m_real.elapsed();
}

int64_t CDeviceClock::RealMs() const
{
    return RawRealMs();
}

int64_t CDeviceClock::ElapsedMs() const
{
    const int64_t realSince = RawRealMs() - m_realAtChange;
    return m_scaledAtChange + static_cast<int64_t>(std::llround(static_cast<double>(realSince) * m_scale));
}

void CDeviceClock::SetTimeScale(double scale)
{
    if (!(scale > 0.0))
        return;
    m_scaledAtChange = ElapsedMs();
    m_realAtChange = RawRealMs();
    m_scale = scale;
}

void CDeviceClock::SetManual(bool manual)
{
    if (manual == m_manual)
        return;
    // The real time line continues from where it is in either mode.
    if (manual) {
        m_manualMs = RawRealMs();
    } else {
        m_realBase = m_manualMs;
        m_real.restart();
    }
    m_manual = manual;
}

void CDeviceClock::Advance(int64_t realMs)
{
    if (m_manual && realMs > 0)
        m_manualMs += realMs;
}

int CDeviceClock::MinuteOfDay() const
{
    const int64_t w = WallMs();
    const int64_t inDay = ((w % kMsPerDay) + kMsPerDay) % kMsPerDay;
    return static_cast<int>(inDay / kMsPerMinute);
}

int CDeviceClock::DayNumber() const
{
    const int64_t w = WallMs();
    return static_cast<int>(w >= 0 ? w / kMsPerDay : -((-w + kMsPerDay - 1) / kMsPerDay));
}

void CDeviceClock::SetMinuteOfDay(int minute)
{
    SetWallMs(static_cast<int64_t>(DayNumber()) * kMsPerDay + static_cast<int64_t>(minute) * kMsPerMinute);
}

void CDeviceClock::SetDayNumber(int day)
{
    const int64_t w = WallMs();
    const int64_t inDay = ((w % kMsPerDay) + kMsPerDay) % kMsPerDay;
    SetWallMs(static_cast<int64_t>(day) * kMsPerDay + inDay);
}
