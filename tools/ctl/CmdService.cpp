// SPDX-License-Identifier: GPL-3.0-or-later
// service status: what the running korvalisd services report.
#include <cstdio>

#include "CCtlContext.h"
#include "CtlCommand.h"
#include "app/CServiceStatus.h"

namespace {
int Service(CCtlContext& ctx, const QStringList& args)
{
    if (args != QStringList{QStringLiteral("status")}) {
        std::fprintf(stderr, "usage: korvalisctl service status [--status-dir DIR]\n");
        return CtlUsage;
    }
    const QString folder = ctx.Option(QStringLiteral("--status-dir"));
    bool running = false;
    std::fputs(CServiceStatus::Report(folder, ctx.Json(), running).toLocal8Bit().constData(), stdout);
    return running ? CtlOk : CtlFailed;
}

// Where a service started with --status-dir keeps its status.
const bool kStatusDirDeclared = (CCtlContext::DeclareOption(QStringLiteral("--status-dir"), true), true);

const CtlRegistrar kService({QStringLiteral("service"),
                             QStringLiteral("service status           links, clients and alerts of the running korvalisd"),
                             Service});
}  // namespace
