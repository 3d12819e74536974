// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks that measure the PC side alone run the device model in a child process (this
// same program started with --serve), so the two never share a thread or a CPU budget.
#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <cstdio>

#include "device/CDeviceModel.h"
#include "link/CMyAsyncSocket.h"
#include "support/CDeviceModelServer.h"

// Child side: serves the model on a free loopback port, prints the port, and runs until the
// parent closes its standard input.
inline int ServeModelUntilStdinCloses(CDeviceModel& model)
{
    CDeviceModelServer server(model);
    std::printf("%u\n", server.ServeTcp());
    std::fflush(stdout);
    char c;
    while (std::fread(&c, 1, 1, stdin) == 1) {
    }
    return 0;
}

// Parent side: starts the child and connects the socket to it; false with a message on stderr.
inline bool ConnectToServedModel(QProcess& child, CMyAsyncSocket& socket)
{
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve")});
    if (!child.waitForReadyRead(10000)) {
        std::fprintf(stderr, "device model process did not start\n");
        return false;
    }
    const auto port = static_cast<uint16_t>(child.readLine().trimmed().toUInt());
    if (!socket.ConnectTo(QStringLiteral("127.0.0.1"), port, false)) {
        std::fprintf(stderr, "cannot connect to port %u\n", port);
        return false;
    }
    return true;
}
