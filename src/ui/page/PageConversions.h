// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between the controller's integers and what pages show: times of day as
// minutes after midnight, durations in seconds, dates as day numbers (day 0 = 1 Jan 2000),
// and real values with a factor of 1, 10 or 100.
#pragma once

#include <QDate>
#include <QTime>
#include <cstdint>

class QDateEdit;
class QTimeEdit;

namespace PageConversions {
// The dates day numbers cover, and so the range of every date picker.
QDate FirstDate();  // 1 January 2000
QDate LastDate();   // 31 December 2099
constexpr int kLastDayNumber = 36524;

// Minutes after midnight; 1440 and above are clamped to 23:59, below 0 to 0:00.
QTime MinutesToTime(int64_t minutes);
// Seconds; a day or more is clamped to 23:59:59.
QTime SecondsToTime(int64_t seconds);
int TimeToMinutes(const QTime& time);  // seconds dropped
int TimeToSeconds(const QTime& time);
// Day numbers outside 0..kLastDayNumber are clamped into the covered years.
QDate DayNumberToDate(int64_t dayNumber);
// Dates outside 2000..2099 are clamped to the first or last covered day.
int DateToDayNumber(const QDate& date);

// value x factor as the controller's integer, truncated toward zero. The product is first
// rounded to 1e-6 so that values binary cannot hold exactly (8.29 x 100 = 828.999...) are
// not written one step too low; surplus decimals still truncate (2.55 x 10 -> 25).
int64_t DisplayToDevice(double value, double factor);
// The controller's integer in display units.
inline double DeviceToDisplay(double raw, double factor) {
    return factor != 0 ? raw / factor : raw;
}
// value x 100 truncated toward zero, / 100 (with the same representation correction).
double TruncateToHundredths(double value);

// Limits a date picker to the covered years; sets a time picker's format.
void ConfigureDatePicker(QDateEdit* edit);
void ConfigureTimePicker(QTimeEdit* edit, bool withSeconds);
}  // namespace PageConversions

using PageConversions::DateToDayNumber;
using PageConversions::DayNumberToDate;
using PageConversions::MinutesToTime;
using PageConversions::SecondsToTime;
using PageConversions::TimeToMinutes;
using PageConversions::TimeToSeconds;
using PageConversions::TruncateToHundredths;
