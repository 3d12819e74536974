// SPDX-License-Identifier: GPL-3.0-or-later
// korvalis-emulator: a virtual Korvalis controller for demos, tests and anyone without one.
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

#include "CEmulator.h"
#include "app/CAppVersion.h"
#include "app/CTerminationSignals.h"
#include "CEmulatorOptions.h"

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
    // Termination signals end the event loop normally, so the state is saved on the way out.
    CTerminationSignals::Catch();
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
