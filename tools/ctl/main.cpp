// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisctl: the command-line client, for scripts and headless machines.
#include <QCoreApplication>
#include <cstdio>

#include "CCtlContext.h"
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
                 "  --password N        the controller's password, when it has one\n"
                 "  --sms               address the SMS module (bus address 34)\n"
                 "  --connection NAME   a connection stored by the program (other options change it)\n\n"
                 "commands:\n");
    for (const CtlCommand& c : CtlCommands())
        std::fprintf(out, "  %s\n", c.synopsis.toLocal8Bit().constData());
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
