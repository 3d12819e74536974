// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/PageConversions.h"

#include <QDateEdit>
#include <QLocale>
#include <QTimeEdit>
#include <algorithm>
#include <cmath>

namespace {
// The controller counts every fourth year from 2000 as a leap year; within 2000..2099
// that agrees with the calendar.
bool IsLeap(int yearOffset) {
    return yearOffset % 4 == 0;
}

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

double Corrected(double product) {
    return std::round(product * 1e6) / 1e6;
}
}  // namespace

namespace PageConversions {

QDate FirstDate() {
    return QDate(2000, 1, 1);
}

QDate LastDate() {
    return QDate(2099, 12, 31);
}

QTime MinutesToTime(int64_t minutes) {
    minutes = std::clamp<int64_t>(minutes, 0, 1439);
    return QTime(static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
}

QTime SecondsToTime(int64_t seconds) {
    seconds = std::clamp<int64_t>(seconds, 0, 86399);
    return QTime(static_cast<int>(seconds / 3600), static_cast<int>((seconds % 3600) / 60),
                 static_cast<int>(seconds % 60));
}

int TimeToMinutes(const QTime& time) {
    return time.isValid() ? time.hour() * 60 + time.minute() : 0;
}

int TimeToSeconds(const QTime& time) {
    return time.isValid() ? TimeToMinutes(time) * 60 + time.second() : 0;
}

QDate DayNumberToDate(int64_t dayNumber) {
    int64_t rest = std::clamp<int64_t>(dayNumber, 0, kLastDayNumber);
    int offset = 0;
    while (rest >= (IsLeap(offset) ? 366 : 365)) {
        rest -= IsLeap(offset) ? 366 : 365;
        ++offset;
    }
    int month = 0;
    for (; month < 12; ++month) {
        const int days = kMonthDays[month] + (month == 1 && IsLeap(offset) ? 1 : 0);
        if (rest < days) break;
        rest -= days;
    }
    return QDate(2000 + offset, month + 1, static_cast<int>(rest) + 1);
}

int DateToDayNumber(const QDate& date) {
    if (!date.isValid() || date < FirstDate()) return 0;
    if (date > LastDate()) return kLastDayNumber;
    const int offset = date.year() - 2000;
    int days = offset * 365 + (offset + 3) / 4;  // leap years 2000 .. year-1
    for (int m = 0; m < date.month() - 1; ++m) days += kMonthDays[m];
    if (IsLeap(offset) && date.month() > 2) ++days;
    return days + date.day() - 1;
}

int64_t DisplayToDevice(double value, double factor) {
    const double product = Corrected(value * factor);
    if (!std::isfinite(product)) return 0;
    return static_cast<int64_t>(std::trunc(std::clamp(product, -9.2e18, 9.2e18)));
}

double TruncateToHundredths(double value) {
    return static_cast<double>(DisplayToDevice(value, 100.0)) / 100.0;
}

void ConfigureDatePicker(QDateEdit* edit) {
    edit->setDateRange(FirstDate(), LastDate());
    edit->setCalendarPopup(true);
    // The locale's short form, with the year in full: "09.12.26" reads like a day.
    QString format = edit->locale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    edit->setDisplayFormat(format);
}

void ConfigureTimePicker(QTimeEdit* edit, bool withSeconds) {
    edit->setDisplayFormat(withSeconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
}

}  // namespace PageConversions
