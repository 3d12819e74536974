// SPDX-License-Identifier: GPL-3.0-or-later
#include "recorder/CHistoryBatch.h"

#include <QTimeZone>
#include <limits>

#include "recorder/CMeasuredValueArray.h"

void CHistoryBatch::Reserve(qsizetype n) {
    m_times.reserve(n);
    m_values.reserve(n * columns.size());
}

void CHistoryBatch::Append(qint64 utcSeconds, const double* values) {
    m_times.append(utcSeconds);
    for (qsizetype k = 0; k < columns.size(); ++k) m_values.append(values[k]);
}

qint64 CHistoryBatch::LocalToUtc(const QDateTime& wallClock, qint64 previousUtc) {
    // The wall clock read as UTC, minus each offset in force a day before or after: a
    // candidate counts when local time at it shows that same wall clock.
    const qint64 wall = QDateTime(wallClock.date(), wallClock.time(), Qt::UTC).toSecsSinceEpoch();
    qint64 found[2] = {0, 0};
    int n = 0;
    for (qint64 probe : {wall - 86400, wall + 86400}) {
        const int offset = QDateTime::fromSecsSinceEpoch(probe, Qt::LocalTime).offsetFromUtc();
        const qint64 candidate = wall - offset;
        const QDateTime back = QDateTime::fromSecsSinceEpoch(candidate, Qt::LocalTime);
        if (back.offsetFromUtc() + candidate != wall) continue;
        if (n == 1 && found[0] == candidate) continue;
        found[n++] = candidate;
    }
    if (n == 0) {
        // Skipped by the change forward: the offset before it puts the time just past it.
        return wall - QDateTime::fromSecsSinceEpoch(wall - 86400, Qt::LocalTime).offsetFromUtc();
    }
    if (n == 2 && found[1] < found[0]) std::swap(found[0], found[1]);
    if (n == 2 && found[0] <= previousUtc && found[1] > previousUtc) return found[1];
    return found[0];
}

qint64 CHistoryBatch::LocalClock::ToUtc(const QDateTime& wallClock, qint64 previousUtc) {
    const qint64 wall = QDateTime(wallClock.date(), wallClock.time(), Qt::UTC).toSecsSinceEpoch();
    const qint64 guess = wall - m_offset;
    if (guess >= m_safeFrom && guess < m_safeTo) return guess;
    const qint64 utc = LocalToUtc(wallClock, previousUtc);
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDateTime at = QDateTime::fromSecsSinceEpoch(utc, Qt::UTC);
    m_offset = QDateTime::fromSecsSinceEpoch(utc, Qt::LocalTime).offsetFromUtc();
    constexpr qint64 kDay = 86400;
    m_safeFrom = std::numeric_limits<qint64>::min();
    m_safeTo = std::numeric_limits<qint64>::max();
    if (zone.hasTransitions()) {
        const QTimeZone::OffsetData before = zone.previousTransition(at);
        const QTimeZone::OffsetData after = zone.nextTransition(at);
        if (before.atUtc.isValid()) m_safeFrom = before.atUtc.toSecsSinceEpoch() + kDay;
        if (after.atUtc.isValid()) m_safeTo = after.atUtc.toSecsSinceEpoch() - kDay;
    } else if (!zone.isValid()) {
        m_safeFrom = 1;  // nothing known: the slow way each time
        m_safeTo = 0;
    }
    return utc;
}

CHistoryBatch CHistoryBatch::FromFile(const CMeasuredValueArray& array, const QString& name) {
    CHistoryBatch batch;
    batch.source = Source::File;
    batch.sourceName = name;
    const int columns = array.ValueColumnCount();
    for (int k = 0; k < columns; ++k) batch.columns.append({array.ColumnName(k), array.ColumnUnit(k), 0});
    batch.Reserve(array.GetCount());
    qint64 previous = std::numeric_limits<qint64>::min();
    LocalClock clock;
    for (qsizetype i = 0; i < array.GetCount(); ++i) {
        const CMeasuredValue& r = array[i];
        if (!r.timeStamp.isValid()) continue;
        const qint64 utc = clock.ToUtc(r.timeStamp, previous);
        previous = utc;
        batch.Append(utc, r.values.data());
    }
    return batch;
}
