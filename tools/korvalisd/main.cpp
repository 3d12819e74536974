// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisd: watches a controller around the clock. It holds the link, shares the bus with
// the desktop program and korvalisctl, and sends the alert e-mails without a window.
#include <QCoreApplication>
#include <QFileInfo>
#include <csignal>
#include <memory>
#include <vector>
#include <cstdio>

#include "CCtlContext.h"
#include "CKorvalisService.h"
#include "CServiceConfig.h"
#include "ServiceLog.h"
#include "app/CAppVersion.h"
#include "base/CAppPaths.h"
#include "app/CServiceStatus.h"
#include "app/CTerminationSignals.h"
#include "link/CConnectionArray.h"

namespace {
constexpr int kUsage = 2;

void Usage(FILE* out)
{
    std::fputs("usage: korvalisd [connection options] [--serve ADDRESS:PORT] [options]\n"
               "       korvalisd [--config FILE] [options]\n"
               "       korvalisd --status [--json] [--status-dir DIR]\n\n"
               "Holds the link to a controller, serves the bus protocol to the desktop program and\n"
               "korvalisctl on a TCP endpoint (whole transactions, one client at a time), sends the\n"
               "alert e-mails of EmailSettings.dat every 30 s and downloads the recorder into the\n"
               "history daily. Several controllers: list them in the configuration file.\n\n"
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
               "  --config FILE          the controllers to watch, each a stored connection with its\n"
               "                         endpoint (default $KORVALIS_HOME/korvalisd.ini or\n"
               "                         ~/.config/korvalisd/korvalisd.ini, when it exists; see the man page)\n"
               "  --download-interval HOURS  download the recorder into the history this often\n"
               "                         (default 24; 0 never; fractions allowed)\n"
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
    for (const char* name :
         {"--serve", "--status-dir", "--alert-interval", "--retry-delay", "--probe-interval", "--config", "--download-interval"})
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
        !CServiceConfig::ParseEndpoint(ctx.Option(QStringLiteral("--serve")), options.serveAddress, options.servePort)) {
        std::fprintf(stderr, "korvalisd: --serve needs ADDRESS:PORT, e.g. 127.0.0.1:10101\n");
        return kUsage;
    }
    if (!ctx.NumberOption(QStringLiteral("--alert-interval"), options.alertIntervalMs, 100, 3600000, error) ||
        !ctx.NumberOption(QStringLiteral("--retry-delay"), options.retryDelayMs, 0, 3600000, error) ||
        !ctx.NumberOption(QStringLiteral("--probe-interval"), options.probeIntervalMs, 0, 3600000, error)) {
        std::fprintf(stderr, "korvalisd: %s\n", error.toLocal8Bit().constData());
        return kUsage;
    }

    // The controllers: the one of the command line, else those of the configuration file,
    // else the selected stored connection.
    const bool given = ctx.HasOption(QStringLiteral("--tcp")) || ctx.HasOption(QStringLiteral("--serial")) ||
                       ctx.HasOption(QStringLiteral("--connection"));
    const QString configPath = ctx.Option(QStringLiteral("--config"), CAppPaths::ServiceConfigFile());
    CServiceConfig config;
    const bool fromFile = !given && (ctx.HasOption(QStringLiteral("--config")) || QFileInfo::exists(configPath));
    if (given && ctx.HasOption(QStringLiteral("--config"))) {
        std::fprintf(stderr, "korvalisd: --config and connection options exclude each other\n");
        return kUsage;
    }
    bool tuned = false;
    for (const char* name : {"--serve", "--address", "--timeout", "--baud", "--sms"})
        tuned = tuned || ctx.HasOption(QLatin1String(name));
    if (fromFile && (!config.Read(configPath, error) || tuned)) {
        if (error.isEmpty())
            error = QStringLiteral("--serve, --address, --timeout, --baud and --sms belong to one controller; those of %1 "
                                   "are its stored connections with the endpoints the file gives")
                        .arg(configPath);
        std::fprintf(stderr, "korvalisd: %s\n", error.toLocal8Bit().constData());
        return kUsage;
    }
    double hours = config.downloadHours;
    if (ctx.HasOption(QStringLiteral("--download-interval")) &&
        !CServiceConfig::ParseHours(ctx.Option(QStringLiteral("--download-interval")), hours)) {
        std::fprintf(stderr, "korvalisd: --download-interval takes hours from 0 to %g\n", CServiceConfig::MaxDownloadHours);
        return kUsage;
    }
    options.downloadIntervalMs = static_cast<qint64>(hours * 3600000.0);
    if (hours > 0 && options.downloadIntervalMs < 1000)
        options.downloadIntervalMs = 1000;

    // Each controller has an application object (link, connect findings, alert cycle) and a
    // service of its own; the first uses the one the options were parsed into.
    struct Watched {
        std::unique_ptr<CCtlContext> ownContext;
        CCtlContext* context = nullptr;
        CConnection connection;
        CKorvalisService::Options options;
    };
    std::vector<Watched> watched;
    if (fromFile) {
        CConnectionArray stored;
        stored.ReadOnly(ctx.App().dataFolder);
        for (const CServiceConfig::Controller& c : config.controllers) {
            const int i = stored.IndexOf(c.connection);
            if (i < 0) {
                std::fprintf(stderr, "korvalisd: %s: [%s] no stored connection is named \"%s\" (see: korvalisctl connections)\n",
                             configPath.toLocal8Bit().constData(), c.section.toLocal8Bit().constData(),
                             c.connection.toLocal8Bit().constData());
                return kUsage;
            }
            Watched w;
            if (!watched.empty())
                w.ownContext = std::make_unique<CCtlContext>();
            w.context = w.ownContext ? w.ownContext.get() : &ctx;
            w.connection = stored.GetAt(i);
            w.options = options;
            w.options.serveAddress = c.address;
            w.options.servePort = c.port;
            w.options.alerts = options.alerts && c.alerts;
            w.options.name = c.connection;
            watched.push_back(std::move(w));
        }
    } else {
        Watched w;
        w.context = &ctx;
        w.connection = ctx.Connection();
        w.options = options;
        if (!given) {
            CConnectionArray stored;
            stored.ReadOnly(ctx.App().dataFolder);
            w.connection = stored.GetSelected();
            qCInfo(lcService).noquote() << "no connection given: using the selected stored connection" << w.connection.name;
        }
        watched.push_back(std::move(w));
    }

    CTerminationSignals::Catch();
    std::vector<std::unique_ptr<CKorvalisService>> services;
    bool announce = false;
    for (Watched& w : watched) {
        services.push_back(std::make_unique<CKorvalisService>(w.context->App(), w.connection, w.options));
        if (!services.back()->Start(error)) {
            qCCritical(lcService).noquote() << error;
            return 1;
        }
        announce = announce || w.options.servePort == 0;
    }
    // Scripts and tests learn the ports chosen: one line per controller, in order.
    if (announce) {
        for (const auto& service : services)
            std::printf("%u\n", service->Port());
        std::fflush(stdout);
    }
    const int rc = app.exec();
    for (const auto& service : services)
        service->Stop();
    return rc;
}
