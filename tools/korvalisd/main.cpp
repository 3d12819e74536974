// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisd: watches a controller around the clock. It holds the link, shares the bus with
// the desktop program and korvalisctl, and sends the alert e-mails without a window.
#include <QCoreApplication>
#include <QHostAddress>
#include <csignal>
#include <cstdio>

#include "CCtlContext.h"
#include "CKorvalisService.h"
#include "ServiceLog.h"
#include "app/CAppVersion.h"
#include "app/CServiceStatus.h"
#include "app/CTerminationSignals.h"
#include "link/CConnectionArray.h"

namespace {
constexpr int kUsage = 2;

void Usage(FILE* out)
{
    std::fputs("usage: korvalisd [connection options] [--serve ADDRESS:PORT] [options]\n"
               "       korvalisd --status [--json] [--status-dir DIR]\n\n"
               "Holds the link to one controller, serves the bus protocol to the desktop program and\n"
               "korvalisctl on a TCP endpoint (whole transactions, one client at a time) and sends the\n"
               "alert e-mails of EmailSettings.dat every 30 s.\n\n"
               "connection options (as korvalisctl; without them the selected stored connection):\n"
               "  --tcp HOST[:PORT]      network module (default port 10001)\n"
               "  --serial DEVICE        serial port, e.g. /dev/ttyUSB0 (with --baud N, default 9600)\n"
               "  --connection NAME      a connection stored by the program\n"
               "  --address N            bus address of the controller (default 1)\n"
               "  --timeout MS           reply timeout (default 5000)\n"
               "  --sms                  the bus has an SMS module (bus address 34)\n"
               "  the controller's password: KORVALIS_PASSWORD or --password-stdin\n\n"
               "service options:\n"
               "  --serve ADDRESS:PORT   the endpoint clients connect to (default 127.0.0.1:10101);\n"
               "                         port 0 takes a free one and prints it as the first line\n"
               "  --no-alerts            share the bus only; the desktop program keeps sending alerts\n"
               "  --status               print the status of the running services and end\n"
               "  --json                 with --status: one JSON document\n"
               "  --status-dir DIR       where the status file goes (default: the runtime folder)\n"
               "  --alert-interval MS    the alert cycle's period (default 30000)\n"
               "  --retry-delay MS       pause before a failed e-mail is sent again (default 60000)\n"
               "  --probe-interval MS    check a quiet link this often (default 15000; 0 never)\n"
               "  --help, --version\n\n"
               "Log lines go to standard error (the journal under systemd).\n"
               "exit status: 0 stopped by a signal, 1 the endpoint could not be opened,\n"
               "2 unusable command line.\n",
               out);
}

bool ParseEndpoint(const QString& text, QHostAddress& address, quint16& port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint p = text.mid(colon + 1).toUInt(&ok);
    if (!ok || p > 65535 || !address.setAddress(host))
        return false;
    port = static_cast<quint16>(p);
    return true;
}

int PrintStatus(const QString& folder, bool json)
{
    bool running = false;
    std::fputs(CServiceStatus::Report(folder, json, running).toLocal8Bit().constData(), stdout);
    return running ? 0 : 3;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        Usage(stdout);
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        std::fputs(CAppVersion::VersionBlurb(QStringLiteral("korvalisd")).toLocal8Bit().constData(), stdout);
        return 0;
    }
    for (const char* name : {"--serve", "--status-dir", "--alert-interval", "--retry-delay", "--probe-interval"})
        CCtlContext::DeclareOption(QLatin1String(name), true);
    for (const char* name : {"--status", "--no-alerts"})
        CCtlContext::DeclareOption(QLatin1String(name), false);

    ServiceLog::Install();
    CCtlContext ctx;
    QString error;
    if (!ctx.ParseCommonOptions(args, error) || !args.isEmpty()) {
        if (error.isEmpty())
            error = QStringLiteral("unexpected argument %1 (see --help)").arg(args.value(0));
        std::fprintf(stderr, "korvalisd: %s\n", error.toLocal8Bit().constData());
        return kUsage;
    }
    if (ctx.HasOption(QStringLiteral("--status")))
        return PrintStatus(ctx.Option(QStringLiteral("--status-dir")), ctx.Json());

    CKorvalisService::Options options;
    options.statusFolder = ctx.Option(QStringLiteral("--status-dir"));
    options.alerts = !ctx.HasOption(QStringLiteral("--no-alerts"));
    if (ctx.HasOption(QStringLiteral("--serve")) &&
        !ParseEndpoint(ctx.Option(QStringLiteral("--serve")), options.serveAddress, options.servePort)) {
        std::fprintf(stderr, "korvalisd: --serve needs ADDRESS:PORT, e.g. 127.0.0.1:10101\n");
        return kUsage;
    }
    if (!ctx.NumberOption(QStringLiteral("--alert-interval"), options.alertIntervalMs, 100, 3600000, error) ||
        !ctx.NumberOption(QStringLiteral("--retry-delay"), options.retryDelayMs, 0, 3600000, error) ||
        !ctx.NumberOption(QStringLiteral("--probe-interval"), options.probeIntervalMs, 0, 3600000, error)) {
        std::fprintf(stderr, "korvalisd: %s\n", error.toLocal8Bit().constData());
        return kUsage;
    }
    CConnection connection = ctx.Connection();
    const bool given = ctx.HasOption(QStringLiteral("--tcp")) || ctx.HasOption(QStringLiteral("--serial")) ||
                       ctx.HasOption(QStringLiteral("--connection"));
    if (!given) {
        CConnectionArray stored;
        stored.ReadOnly(ctx.App().dataFolder);
        connection = stored.GetSelected();
        qCInfo(lcService).noquote() << "no connection given: using the selected stored connection" << connection.name;
    }

    CTerminationSignals::Catch();
    CKorvalisService service(ctx.App(), connection, options);
    if (!service.Start(error)) {
        qCCritical(lcService).noquote() << error;
        return 1;
    }
    if (options.servePort == 0) {
        std::printf("%u\n", service.Port());
        std::fflush(stdout);
    }
    const int rc = app.exec();
    service.Stop();
    return rc;
}
