// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's command line.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "device/CDeviceModel.h"

struct CEmulatorOptions {
    CDeviceModel::Options device;
    CDeviceModel::Faults faults;
    bool addressGiven = false;  // --address wins over the address in a state file
    QString listen = QStringLiteral("0.0.0.0");
    int port = 10001;      // 0: any free port; -1: no TCP server
    bool pty = false;
    int baud = 0;          // pace answers as on a line of this speed; 0: no pacing; -1: the PC's line speed
    int discoveryPort = 30718;  // 0: no discovery answers
    QString stateFile;
    QString listFolder;    // parameter lists; empty: the installed folder
    int historyRecords = 2000;  // recorder records present at start, ending now
    double timeScale = 1.0;
    int restartMs = 3000;
    int stallLimitMs = 5000;  // a TCP client with an unfinished frame is dropped after this
    bool verbose = false;
    bool dieWithParent = false;
    bool help = false;
    bool version = false;

    // Parses the arguments (without the program name); false with a message on error.
    bool Parse(const QStringList& args, QString& error);
    static QString Usage();
    // A model letter (A..G) or product code -> product code; 0 when unknown.
    static int ProductCodeOf(const QString& model);
};
