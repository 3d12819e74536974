// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisctl: the command-line client, for scripts and headless machines.
#include <QCoreApplication>
#include <cstdio>

#include "CCtlContext.h"
#include "app/CAppVersion.h"
#include "CtlCommand.h"

namespace {
void Usage(FILE* out)
{
    std::fprintf(out,
                 "usage: korvalisctl [options] COMMAND [args]\n\n"
                 "connection options:\n"
                 "  --tcp HOST[:PORT]   network module (default port 10001)\n"
                 "  --serial DEVICE     serial port, e.g. /dev/ttyUSB0 (with --baud N, default 9600)\n"
                 "  --address N         bus address of the controller (default 1)\n"
                 "  --timeout MS        reply timeout (default 5000)\n"
                 "  --password N        the controller's password, when it has one (shows in the\n"
                 "                      process list: better KORVALIS_PASSWORD or --password-stdin)\n"
                 "  --password-stdin    read the password from the first line of standard input\n"
                 "  --sms               address the SMS module (bus address 34)\n"
                 "  --connection NAME   a connection stored by the program (other options change it)\n\n"
                 "output options:\n"
                 "  --json              identify, get, connections, discover and recorder status print\n"
                 "                      one JSON document\n"
                 "  --help, --version\n\n"
                 "commands:\n");
    for (const CtlCommand& c : CtlCommands())
        std::fprintf(out, "  %s\n", c.synopsis.toLocal8Bit().constData());
    std::fprintf(out,
                 "\nProgress lines go to standard error, and only when it is a terminal.\n"
                 "exit status: 0 done, 1 the device or a file failed, 2 unusable command line,\n"
                 "3 cancelled or declined.\n");
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        Usage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? CtlUsage : CtlOk;
    }
    if (args.contains(QStringLiteral("--version"))) {
        std::fputs(CAppVersion::VersionBlurb(QStringLiteral("korvalisctl")).toLocal8Bit().constData(), stdout);
        return CtlOk;
    }
    CCtlContext ctx;
    QString error;
    if (!ctx.ParseCommonOptions(args, error)) {
        std::fprintf(stderr, "korvalisctl: %s\n", error.toLocal8Bit().constData());
        return CtlUsage;
    }
    if (args.isEmpty()) {
        Usage(stderr);
        return CtlUsage;
    }
    const QString name = args.takeFirst();
    for (const CtlCommand& c : CtlCommands())
        if (c.name == name)
            return c.run(ctx, args);
    std::fprintf(stderr, "korvalisctl: unknown command '%s' (see --help)\n", name.toLocal8Bit().constData());
    return CtlUsage;
}
