// SPDX-License-Identifier: GPL-3.0-or-later
// The service's own configuration file: the controllers one process watches, each a stored
// connection by name with its own endpoint, and the settings all of them share. An INI file:
//   [service]
//   download-interval = 24        ; hours between recorder downloads, 0 = none
//   [controller-1]
//   connection = Aquarium         ; the name in Connections.dat
//   serve = 127.0.0.1:10101
//   alerts = yes                  ; at most one; by default the first controller
// Controllers are taken in the order of their numbers.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

class CServiceConfig {
public:
    struct Controller {
        QString section;
        QString connection;
        QHostAddress address = QHostAddress::LocalHost;
        quint16 port = 0;
        bool alerts = false;
    };
    static constexpr int MaxControllers = 32;
    static constexpr double MaxDownloadHours = 500;

    // "ADDRESS:PORT", an IPv6 address in brackets; false when it is not one.
    static bool ParseEndpoint(const QString& text, QHostAddress& address, quint16& port);
    // Hours as a decimal number from 0 to MaxDownloadHours; false otherwise.
    static bool ParseHours(const QString& text, double& hours);

    // Reads the file; false with a message naming the section and key at fault.
    bool Read(const QString& path, QString& error);

    QList<Controller> controllers;
    bool hasDownloadInterval = false;
    double downloadHours = 24;
};
