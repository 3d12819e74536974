// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalFds[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalFds[0], &c, 1);
}
}  // namespace

void CTerminationSignals::Catch()
{
    if (g_signalFds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFds) != 0)
        return;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &sa, nullptr);
    auto* notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, []() {
        char c = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalFds[1], &c, 1);
        QCoreApplication::quit();
    });
}
