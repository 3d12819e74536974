// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and exit of the desktop program around the main sheet: command line, locale,
// settings, data folder, language catalogue (and the first-start language question), the
// sheet's modal run, and the settings written back at exit.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "link/CConnection.h"

class CKorvalisControlApp;

class CAppStartup {
public:
    struct Options {
        bool serviceMode = false;
        // --demo-connection HOST:PORT: this TCP connection instead of the stored one,
        // connected at once.
        std::optional<CConnection> demoConnection;
        QString demoSerialDevice;  // --demo-connection DEVICE: the serial port's path
        // --screenshot FILE: grab the main window once it is up (and connected), then quit.
        QString screenshot;
        QString screenshotPage;  // --screenshot-page CLASS: activate this page first
        // --screenshot-help TOPIC[:WORDS]: picture the help window at the topic instead
        // (with a full-text search for the words).
        QString screenshotHelp;
        QString error;           // non-empty: the command line could not be used
    };

    static Options ParseArguments(const QStringList& arguments);
    static QString Usage();
    // --help or --version anywhere on the command line: prints the answer and gives the
    // exit code, before any window (or display) is needed.
    static std::optional<int> AnswerWithoutWindow(const QStringList& arguments);
    // The message when no catalogue can be loaded (no catalogue can supply it).
    static constexpr const char* kMissingCatalogue = "Could not find dll!";

    // Settings, data folder, language. False: the program ends (exit code 0).
    static bool InitInstance(CKorvalisControlApp& app, const Options& options);
    static void ExitInstance(CKorvalisControlApp& app);
    // The whole run: returns the process exit code.
    static int Main(CKorvalisControlApp& app, const QStringList& arguments);
};
