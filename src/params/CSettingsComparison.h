// SPDX-License-Identifier: GPL-3.0-or-later
// The differences between a settings file and what it would be written over: the
// controller's values read just before, or another file. Each parameter of the file gets a
// row saying whether writing it would change something, and why a row is not written at all
// (identification, left out by the firmware-version rules). Rows keep the file's order, which
// is the order a write sends them in. No widgets: the desktop's view, korvalisctl and the
// tests all read the same rows.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <array>
#include <cstdint>

#include "params/CParameter.h"
#include "params/CParameterArray.h"
#include "params/CParameterMeaning.h"

class CSettingsComparison {
public:
    enum class State {
        Equal,           // the same value on both sides
        Differs,         // writing it changes the value
        Unread,          // the controller's value could not be read (the user chose Ignore)
        Identification,  // version, product code, serial number: compared, never written
        LeftOut,         // the firmware-version rules leave it out of a write
        OnlyInFile,      // two files: only the second holds the number
        OnlyInReference  // two files: only the first holds the number
    };

    struct Row {
        int index = -1;        // element of the file; -1 for OnlyInReference
        CParameter reference;  // the controller's (or the first file's) value
        CParameter file;       // the file's value as a write would send it
        CParameter stored;     // the file's value as the file holds it
        State state = State::Equal;
        bool rescaled = false;  // the version rules change the value sent (pH across 4.00)
        CParameterMeaning::Group group = CParameterMeaning::Other;
        bool checked = false;  // chosen for writing; all differences at first

        bool Writable() const { return state == State::Differs || state == State::Unread; }
        uint16_t Number() const { return index >= 0 ? stored.Number : reference.Number; }
        QString Name() const { return index >= 0 ? stored.Name : reference.Name; }
    };

    struct Context {
        // The controller's sensor types, for sensor values in their units (0 = unknown).
        std::array<uint8_t, 8> sensorTypes{};
        // Against a controller the version rules apply and differences can be written; two
        // files are compared as they stand.
        bool againstController = true;
        // The controller's version when the read did not give parameter 0 (-1: unknown).
        int knownDeviceVersion = -1;
    };

    // reference: the controller's values of the file's parameters (read into a copy of the
    // file's list) or the first file; unread: numbers whose read the user chose to Ignore.
    static CSettingsComparison Compare(const CParameterArray& reference,
                                       const CParameterArray& file, const Context& context,
                                       const QSet<uint16_t>& unread = {});
    // The numbers a write of file into a device of deviceVersion would leave out.
    static bool IsLeftOut(const CParameterArray& file, uint16_t number, int deviceVersion);

    QList<Row>& Rows() { return m_rows; }
    const QList<Row>& Rows() const { return m_rows; }
    int Count(State state) const;
    // Rows a report lists: every row that is not equal, identification only when it differs.
    static bool IsReported(const Row& row);
    // Rows a write could send, and those of them that are checked.
    int Writable() const;
    int Checked() const;
    bool IsEqual() const;
    bool AgainstController() const { return m_context.againstController; }
    int ReferenceVersion() const { return m_referenceVersion; }
    int FileVersion() const { return m_fileVersion; }

    // The list a write of the checked rows sends: parameter 0 (which decides the version
    // rules and is never sent) and the checked rows in the file's order, with the values as
    // the file holds them (the write applies the rules itself).
    CParameterArray CheckedList() const;

    // A value as the bus carries it ("480", a text in quotes), and in display units where
    // the number's unit is known (empty otherwise).
    static QString RawText(const CParameter& parameter);
    // referenceSide: the value is the controller's (or the first file's), whose firmware
    // version may differ from the file's.
    QString DisplayText(const CParameter& parameter, bool referenceSide = false) const;
    // A short word for the row's state, in the current language.
    static QString StateText(State state);

    enum class ReportFormat { Text, Csv };
    // The rows that are not equal, grouped, with both values; UTF-8 text or CSV.
    QByteArray Report(ReportFormat format, const QString& referenceTitle,
                      const QString& fileTitle) const;

private:
    QList<Row> m_rows;
    Context m_context;
    int m_referenceVersion = -1;
    int m_fileVersion = -1;
};
