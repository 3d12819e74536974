// SPDX-License-Identifier: GPL-3.0-or-later
// A socat pseudo-terminal pair with the device model served on one end from a thread, so
// the program's serial channel talks to a controller over a real terminal device.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "device/CDeviceModel.h"

class CPtyDeviceServer {
public:
    explicit CPtyDeviceServer(const CDeviceModel::Options& options = {});
    ~CPtyDeviceServer();

    // False when socat is missing or the pair did not appear.
    bool Start();
    // The end the program opens.
    QString ProgramEnd() const { return m_dir.filePath(QStringLiteral("program")); }
    // Stops the thread; the model may then be inspected.
    void Stop();
    CDeviceModel& Model() { return m_model; }

private:
    void Serve(int fd);

    CDeviceModel m_model;
    QTemporaryDir m_dir;
    QProcess m_socat;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};
