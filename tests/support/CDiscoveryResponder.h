// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for network modules on loopback: listens for one discovery query and answers it
// from each of the given source addresses (127.0.0.x), in order, so a test sees several
// modules with different addresses. Runs on its own thread because discovery blocks.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <thread>

class CDiscoveryResponder {
public:
    // answerFrom: the sender address of each answer; empty = stay silent.
    explicit CDiscoveryResponder(const QStringList& answerFrom);
    ~CDiscoveryResponder();

    uint16_t Port() const { return m_port; }
    // "127.0.0.1:<port>", the value of the discovery-target setting.
    QString Target() const;
    // Writes the target into the per-user profile (KORVALIS_HOME must point at a temp dir).
    void InstallAsTarget() const;
    // Waits for the thread; the query received (empty when none came).
    QByteArray Finish();

private:
    void Run();

    QStringList m_answerFrom;
    int m_fd = -1;
    uint16_t m_port = 0;
    QByteArray m_query;
    std::thread m_thread;
};
