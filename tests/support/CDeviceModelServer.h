// SPDX-License-Identifier: GPL-3.0-or-later
// Serves a device model on a second thread over real file descriptors: a loopback TCP
// listener or a terminal device (one end of a socat pseudo-terminal pair). Tests and
// benchmarks use it where the real bytes must cross the operating system.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>

class CDeviceModel;

class CDeviceModelServer {
public:
    explicit CDeviceModelServer(CDeviceModel& model) : m_model(model) {}
    ~CDeviceModelServer() { Stop(); }

    // Listens on 127.0.0.1 at a free port; returns the port (0 on failure).
    uint16_t ServeTcp();
    // Opens a terminal device in raw mode and answers on it; false when it cannot be opened.
    bool ServeTty(const QString& path);
    void Stop();

private:
    void Run(int listenFd, int ioFd);

    CDeviceModel& m_model;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    int m_wakeFds[2] = {-1, -1};
};
