// SPDX-License-Identifier: GPL-3.0-or-later
// Why a serial port would not open, in words a user can act on: the port's group and the
// command that adds the user to it, the program that holds it, or the cable that is not
// there (with the hint for the braille service that takes over some USB adapters).
#pragma once

#include <QString>

class CSerialPortProblem {
public:
    enum class Kind { Permission, Busy, Missing, Other };

    Kind kind = Kind::Other;
    QString device;
    QString group;            // Permission: the group that owns the device
    QString user;             // Permission: the user name for the command
    bool groupNotActive = false;  // the user is in the group, but not in this session yet
    QString holder;           // Busy: name of a process that has the port open, if visible
    bool brlttyInstalled = false;
    QString systemText;       // Other: what the serial-port layer said

    // Looks at the device after an open failed. lockedOrBusy: the serial-port layer refused
    // for a lock or an exclusive open (it reports both as a permission error).
    static CSerialPortProblem Diagnose(const QString& device, bool lockedOrBusy, const QString& systemText);
    // The explanation in the program's language.
    QString Explain() const;
    // Explain(), or the system's own words when no catalogue is loaded: never empty.
    QString Text() const;
};
