// SPDX-License-Identifier: GPL-3.0-or-later
// The time a virtual controller lives in: its wall clock (set by the user through parameters
// 170 and 171) and the elapsed time its behaviours follow. Demos and tests run it faster
// with a time scale; tests can also stop it and advance it by hand.
#pragma once

#include <QElapsedTimer>
#include <cstdint>

class CDeviceClock {
public:
    static constexpr int64_t kMsPerMinute = 60 * 1000;
    static constexpr int64_t kMsPerDay = 24 * 60 * kMsPerMinute;

    CDeviceClock();

    // Device time runs this many times as fast as real time (above 0).
    void SetTimeScale(double scale);
    double TimeScale() const { return m_scale; }

    // A manual clock stands still until Advance moves it; for tests.
    void SetManual(bool manual);
    void Advance(int64_t realMs);

    // Real milliseconds since the clock was made (restarts and pauses are timed in these).
    int64_t RealMs() const;
    // Device milliseconds since the clock was made: real time times the scale; never goes back.
    int64_t ElapsedMs() const;

    // The controller's local date and time as milliseconds since 1 January 2000, 00:00.
    int64_t WallMs() const { return m_wallAtZero + ElapsedMs(); }
    void SetWallMs(int64_t wallMs) { m_wallAtZero = wallMs - ElapsedMs(); }
    // Minutes after midnight (0..1439) and day number (0 = 1 January 2000).
    int MinuteOfDay() const;
    int DayNumber() const;
    // Setting one keeps the other; seconds start again at 0 when the time is set.
    void SetMinuteOfDay(int minute);
    void SetDayNumber(int day);

private:
    int64_t RawRealMs() const;

    QElapsedTimer m_real;
    bool m_manual = false;
    int64_t m_manualMs = 0;
    int64_t m_realBase = 0;
    double m_scale = 1.0;
    // Scaled time accumulated up to the last change of scale, and the real time of that change.
    int64_t m_scaledAtChange = 0;
    int64_t m_realAtChange = 0;
    int64_t m_wallAtZero = 0;
};
