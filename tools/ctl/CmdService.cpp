// SPDX-License-Identifier: GPL-3.0-or-later
// service status: what the running korvalisd services report.
#include <cstdio>

#include "CCtlContext.h"
#include "CtlCommand.h"
#include "app/CServiceStatus.h"

namespace {
int Service(CCtlContext& ctx, const QStringList& args)
{
    QStringList rest = args;
    QString folder;
    const qsizetype dir = rest.indexOf(QStringLiteral("--status-dir"));
    if (dir >= 0 && dir + 1 < rest.size()) {
        folder = rest.at(dir + 1);
        rest.remove(dir, 2);
    }
    if (rest != QStringList{QStringLiteral("status")}) {
        std::fprintf(stderr, "usage: korvalisctl service status [--status-dir DIR]\n");
        return CtlUsage;
    }
    bool running = false;
    std::fputs(CServiceStatus::Report(folder, ctx.Json(), running).toLocal8Bit().constData(), stdout);
    return running ? CtlOk : CtlFailed;
}

const CtlRegistrar kService({QStringLiteral("service"),
                             QStringLiteral("service status           links, clients and alerts of the running korvalisd"),
                             Service});
}  // namespace
