// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a time range of a controller's history as a measured-value file (local date and
// time, the export options of a download) or as CSV (ISO 8601 time in UTC, point decimals).
// Every column that has records in the range gets a field; records of different layouts
// at the same time share a line.
#pragma once

#include <QString>

#include "recorder/CSaveMeasOptions.h"

class CMeasHistory;
class QIODevice;

class CHistoryExport {
public:
    enum class Format { MeasuredValues, Csv };
    // from and to in seconds UTC, both included. records: lines written.
    static bool Write(const CMeasHistory& history, qint64 from, qint64 to, Format format,
                      const CSaveMeasOptions& options, QIODevice& out, qint64* records = nullptr);
    // The same into a file, replaced atomically. error says why it failed.
    static bool WriteFile(const CMeasHistory& history, qint64 from, qint64 to, Format format,
                          const CSaveMeasOptions& options, const QString& path,
                          qint64* records = nullptr, QString* error = nullptr);
};
