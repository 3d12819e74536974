// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads the controller's recorder into a measured-value file: header from the recorded
// inputs' titles and units, one line per record with the date, time and value texts, oldest
// record first, appended to an existing file with the same header or replacing it.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <array>
#include <cstdint>
#include <functional>

#include "base/CSensor.h"
#include "recorder/CHistoryBatch.h"
#include "recorder/CSaveMeasOptions.h"

class CMeasDownloadUi;
class CParameterAccess;
class CUserInteraction;

class CMeasDownload {
public:
    // Parameter access with the caller's failure handling (the page shows message 354).
    struct Access {
        std::function<uint16_t(int number)> read;
        std::function<uint16_t(int number, double value)> write;
        std::function<QByteArray()> lastText;
        std::function<double()> value;
    };
    // Reads and writes through the controller given, without messages.
    static Access AccessOf(CParameterAccess& controller);

    // What the recorder holds, as the page last showed it.
    struct State {
        uint8_t mask = 0;         // parameter 781
        int interval = 1;         // parameter 780, minutes
        qint64 storedValues = 0;  // parameter 1160
        QDate newestDate;         // parameter 1164
        QTime newestTime;         // parameter 1163
    };

    enum class Outcome { Written, Cancelled, Failed };
    struct Result {
        Outcome outcome = Outcome::Failed;
        QString path;
        qint64 records = 0;       // lines written
        bool showViewer = false;  // answered Yes to message 113
        // Every record read from the controller, written to the file or not, with its time
        // in UTC: what the caller adds to the controller's history.
        CHistoryBatch history;
    };

    // Reads what the recorder holds (parameters 780, 781, 1160, 1162-1164) and its capacity in
    // values. The status of the first read that failed (0 when all succeeded), its number in
    // failedNumber.
    static uint16_t ReadState(const Access& access, State& state, qint64& capacity, int& failedNumber);

    CMeasDownload(const std::array<CSensor, 8>& sensors, Access access, CUserInteraction* ui,
                  CMeasDownloadUi* dialogs);

    // The whole download, messages included. With askToShow false message 113 is not asked.
    // A path given skips the save dialog.
    Result Run(const State& state, const QString& givenPath = {}, bool askToShow = true);
    // Only writing, with options given (no options dialog).
    Result Run(const State& state, const CSaveMeasOptions& options, const QString& givenPath,
               bool askToShow);

    // --- the pieces, for the page, the command-line tool and tests ---
    static int RecordedInputs(uint8_t mask);
    // False when the stored values do not divide into whole records (message 141); no
    // recorded input at all counts as that too.
    static bool RecordCount(qint64 storedValues, int inputs, qint64& records);
    static QString BuildHeader(const std::array<CSensor, 8>& sensors, uint8_t mask,
                               const CSaveMeasOptions& options);
    // The newest record's time shown by the controller is local time.
    static qint64 NewestRecordUtc(QDate newestDate, QTime newestTime);
    static QDateTime FirstRecordTime(QDate newestDate, QTime newestTime, qint64 records,
                                     int intervalMinutes);
    static QString ValueText(const CSensor& sensor, int16_t raw, const CSaveMeasOptions& options);
    // The signed 16-bit values of one record text (low byte first); false on a wrong length.
    static bool DecodeRecord(const QByteArray& text, int inputs, QVector<int16_t>& raw);

    // While a download runs, the records read so far are kept beside the file here.
    static QString SideFilePath(const QString& path);

private:
    // Offers the records an interrupted download left in the side file and adds them to
    // the target. False when the download must not run (declined, or they do not fit).
    bool Recover(const QString& target, const QString& sidePath);

    const std::array<CSensor, 8>& m_sensors;
    Access m_access;
    CUserInteraction* m_ui;
    CMeasDownloadUi* m_dialogs;
};
