// SPDX-License-Identifier: GPL-3.0-or-later
// Finds network modules: one 18-byte UDP broadcast to port 30718, a fixed five-second wait,
// and every datagram that came back counts as one module (its sender address).
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <cstdint>

class CDiscoveryUi;

class CNetworkDiscovery {
public:
    static constexpr uint16_t DefaultPort = 30718;
    static constexpr int WaitSteps = 5;
    static constexpr int StepMilliseconds = 1000;

    // The query datagram: 00 00 00 F8 followed by 14 zero bytes.
    static QByteArray Datagram();
    // Where the query goes. "Network"/"DiscoveryTarget" in the per-user profile ("host:port")
    // redirects it, so that tests find a responder on loopback; default 255.255.255.255:30718.
    static void Target(QHostAddress& address, uint16_t& port);

    // Sends the query once and waits the full time; the sender addresses in arrival order,
    // duplicates kept. ui may be null (no progress window).
    static QStringList Collect(CDiscoveryUi* ui);
    // The chosen module's address, or "0.0.0.0" when none answered or none was chosen.
    // takeFirstAnswer: the first answer without asking and without a message when none.
    static QString DiscoverModule(bool takeFirstAnswer, CDiscoveryUi* ui);
    // With the user interface installed below.
    static QString DiscoverModule(bool takeFirstAnswer);

    // The program's discovery dialogs (GUI) or none (command line, tests).
    static void SetUserInterface(CDiscoveryUi* ui);
    static CDiscoveryUi* UserInterface();
};
