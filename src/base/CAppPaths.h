// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program keeps its files. KORVALIS_HOME moves the per-user profile and the data
// folder into one directory, so demos and tests never touch the user's real settings.
#pragma once

#include <QString>

class QSettings;

class CAppPaths {
public:
    // The per-user profile (INI): sections "Settings", "Dimmcurves", "SerialPorts".
    static QString UserSettingsFile();
    // The service's list of controllers (korvalisd.ini): in KORVALIS_HOME when set, else in
    // korvalisd/ of the user's configuration folder.
    static QString ServiceConfigFile();
    // The machine-wide settings that name the parameter-list folder ("BinDir").
    static QString SystemSettingsFile();
    // Application-data folder + "KorvalisControl" (not created here).
    static QString DataFolder();
    // "BinDir" from the machine-wide settings, else the installed parameter-list folder.
    static QString ListFolder();
    // The folder of the shipped data (catalogues, parameter lists) next to the programs.
    static QString ShareFolder();
    // A helper program the user does not start himself (the mail program): installed in
    // <prefix>/libexec/korvalis-control, next to the programs in the build tree. appDir is
    // the folder of the running program; when neither exists, the installed place.
    static QString HelperProgram(const QString& name, const QString& appDir);
    static constexpr const char* kHelperFolder = "libexec/korvalis-control";
};
