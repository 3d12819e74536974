// SPDX-License-Identifier: GPL-3.0-or-later
// One alert rule: who gets which text, and when (a time of day, an interval, or an alarm).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class CEmail {
public:
    enum Type : int32_t { AtTime = 0, Interval = 1, OnAlarm = 2, OnAlarmRepeated = 3, TestOnly = 4 };
    // Status of the stored date-time value.
    enum TimeStatus : int32_t { Valid = 0, Invalid = 1, Null = 2 };

    static constexpr int MinutesPerDay = 1440;

    // Stored fields, in file order.
    QStringList recipients;
    QString text;
    QString subject;
    int32_t type = AtTime;
    int32_t timeStatus = Valid;
    double time = 0.5;  // days since 30 December 1899; only hours and minutes count

    // Runtime fields, never stored.
    int32_t elapsedMinutes = 0;
    bool firstCheck = true;
    int lastMinute = 0;
    // Each alarm rule keeps its own latch, so two alarm rules (two recipients, say) both send.
    bool alarmLatch = false;

    // Hours * 60 + minutes of the time value; -1 when the value is not a valid time.
    int TimeMinutes() const;
    // Replaces the time of day, keeping the date part, and marks the value valid.
    void SetTimeMinutes(int minutes);

    // The trigger test for the current minute of the day (0..1439); updates the runtime
    // fields. Used by the time-of-day and interval types.
    bool IsDue(int minuteOfDay);
    // Minutes from minuteOfDay until the trigger test is next due (0: at the next check);
    // -1 for rules that no clock triggers (alarm and test rules, a time that is not valid).
    int MinutesUntilDue(int minuteOfDay) const;
    // Starts the interval counter at this minute (an alarm onset of the repeating type).
    void RestartInterval(int minuteOfDay);
    // Back to the state after construction: the next trigger test only takes the minute.
    void ResetRuntime();

    // Addresses from a text separated by "," or ";"; blanks removed, empty parts dropped.
    static QStringList ParseRecipients(const QString& text);
    // Whether an address is plausible as one mailbox: local@domain, printable, no blanks,
    // quotes or separators, not starting with '-' (it must never read as an option).
    static bool LooksLikeAddress(const QString& address);
    // Whether a field may go into a mail header or onto the mailer's command line:
    // no CR, LF or other control characters.
    static bool IsSafeField(const QString& field);
    // True when every letter fits the settings file's one byte per letter (ISO-8859-1).
    static bool IsStorable(const QString& field);

    // Recipients joined with ",", the text with line breaks and tabs shown as blanks:
    // what the rule list shows.
    QString RecipientsText() const { return recipients.join(QLatin1Char(',')); }
    QString TextOneLine() const;

    bool SameStoredFields(const CEmail& other) const;
};
