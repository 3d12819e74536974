// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/CEmail.h"

#include <algorithm>
#include <cmath>
#include <cstring>

int CEmail::TimeMinutes() const
{
    if (timeStatus != Valid || !std::isfinite(time) || std::fabs(time) > 3.0e6)
        return -1;
    // The time of day is the fraction's magnitude, also for dates before the epoch
    // (-1.25 is 29 December 1899, 06:00). Rounded to the second like the picker shows it.
    const double fraction = std::fabs(time - std::trunc(time));
    long seconds = std::lround(fraction * 86400.0);
    if (seconds >= 86400)
        seconds = 86399;
    return static_cast<int>(seconds / 60);
}

void CEmail::SetTimeMinutes(int minutes)
{
    minutes = ((minutes % MinutesPerDay) + MinutesPerDay) % MinutesPerDay;
    double day = 0.0;
    if (timeStatus == Valid && std::isfinite(time) && time >= 0.0 && time < 3.0e6)
        day = std::trunc(time);
    time = day + minutes / static_cast<double>(MinutesPerDay);
    timeStatus = Valid;
}

bool CEmail::IsDue(int m)
{
    if (firstCheck) {
        lastMinute = m;
        elapsedMinutes = 0;
        firstCheck = false;
        return false;
    }
    if (m == lastMinute)
        return false;
    const int configured = TimeMinutes();
    if (type == AtTime) {
        lastMinute = m;
        return configured >= 0 && m == configured;
    }
    if (type == Interval || type == OnAlarmRepeated) {
        int step = m - lastMinute;
        if (step < 0)
            step += MinutesPerDay;
        // Bounded: a counter that never reaches an unusable interval must not overflow.
        elapsedMinutes = std::min(elapsedMinutes + step, 1 << 30);
        lastMinute = m;
        // A time value that is not valid gives no interval: such a rule stays silent
        // instead of sending every minute.
        if (configured < 0 || elapsedMinutes < configured)
            return false;
        elapsedMinutes = 0;
        return true;
    }
    return false;
}

int CEmail::MinutesUntilDue(int m) const
{
    const int configured = TimeMinutes();
    if (configured < 0)
        return -1;
    if (type == AtTime) {
        const int d = (configured - m + MinutesPerDay) % MinutesPerDay;
        // The minute is taken already (or only learnt, on a first check): tomorrow.
        return d == 0 && (firstCheck || lastMinute == m) ? MinutesPerDay : d;
    }
    if (type != Interval)
        return -1;
    if (firstCheck)
        return configured;
    const int passed = elapsedMinutes + (m - lastMinute + MinutesPerDay) % MinutesPerDay;
    return std::max(0, configured - passed);
}

void CEmail::RestartInterval(int m)
{
    firstCheck = false;
    lastMinute = m;
    elapsedMinutes = 0;
}

void CEmail::ResetRuntime()
{
    elapsedMinutes = 0;
    firstCheck = true;
    lastMinute = 0;
    alarmLatch = false;
}

QStringList CEmail::ParseRecipients(const QString& input)
{
    QString text = input;
    text.remove(QLatin1Char(' '));
    QStringList out;
    QString current;
    for (const QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char(';')) {
            if (!current.isEmpty())
                out.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        out.append(current);
    return out;
}

bool CEmail::IsSafeField(const QString& field)
{
    for (const QChar c : field) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029)
            return false;
    }
    return true;
}

bool CEmail::IsStorable(const QString& field)
{
    for (const QChar c : field)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

bool CEmail::LooksLikeAddress(const QString& address)
{
    if (address.isEmpty() || address.size() > 254 || address.startsWith(QLatin1Char('-')))
        return false;
    if (!IsSafeField(address))
        return false;
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at != address.lastIndexOf(QLatin1Char('@')) || at == address.size() - 1)
        return false;
    static const QString forbidden = QStringLiteral(" \t\"<>,;:()[]\\");
    for (const QChar c : address)
        if (forbidden.contains(c))
            return false;
    const QString domain = address.mid(at + 1);
    return !domain.startsWith(QLatin1Char('.')) && !domain.endsWith(QLatin1Char('.')) &&
           !domain.contains(QLatin1String(".."));
}

QString CEmail::TextOneLine() const
{
    QString s = text;
    for (QChar& c : s)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return s;
}

bool CEmail::SameStoredFields(const CEmail& o) const
{
    // The time compares bit for bit so that a NaN read from a file equals itself.
    return recipients == o.recipients && text == o.text && subject == o.subject && type == o.type &&
           timeStatus == o.timeStatus && std::memcmp(&time, &o.time, sizeof time) == 0;
}
