// SPDX-License-Identifier: GPL-3.0-or-later
// korvalis-emulator: a virtual Korvalis controller for demos, tests and anyone without one.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "CEmulator.h"
#include "app/CAppVersion.h"
#include "CEmulatorOptions.h"

namespace {
int g_signalFds[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalFds[0], &c, 1);
}

// Termination signals end the event loop normally, so the state is saved on the way out.
void CatchTermination()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFds) != 0)
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
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    CEmulatorOptions options;
    QString error;
    if (!options.Parse(app.arguments().mid(1), error)) {
        std::fprintf(stderr, "korvalis-emulator: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    if (options.help) {
        std::fputs(CEmulatorOptions::Usage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(CAppVersion::VersionBlurb(QStringLiteral("korvalis-emulator")).toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.dieWithParent) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1)  // the parent is gone already
            return 0;
    }
    CatchTermination();
    CEmulator emulator(options);
    if (!emulator.Start(error)) {
        std::fprintf(stderr, "korvalis-emulator: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    QObject::connect(&emulator, &CEmulator::Finished, &app, &QCoreApplication::quit);
    // The one line on stdout tells the caller where to connect.
    std::printf("%s\n", emulator.ReadyLine().toLocal8Bit().constData());
    std::fflush(stdout);
    const int rc = app.exec();
    emulator.Stop();
    return rc;
}
