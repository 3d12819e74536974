// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceLog.h"

#include <cstdio>

Q_LOGGING_CATEGORY(lcService, "korvalis.service")

namespace {
bool g_journal = false;

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // syslog levels: 3 error, 4 warning, 6 information, 7 debug.
    int level = 6;
    switch (type) {
    case QtDebugMsg: level = 7; break;
    case QtInfoMsg: level = 6; break;
    case QtWarningMsg: level = 4; break;
    case QtCriticalMsg:
    case QtFatalMsg: level = 3; break;
    }
    const QByteArray text = message.toUtf8();
    const char* category = context.category ? context.category : "default";
    if (g_journal)
        std::fprintf(stderr, "<%d>%s: %s\n", level, category, text.constData());
    else
        std::fprintf(stderr, "korvalisd: %s\n", text.constData());
    std::fflush(stderr);
}
}  // namespace

void ServiceLog::Install()
{
    g_journal = !qEnvironmentVariableIsEmpty("JOURNAL_STREAM");
    qInstallMessageHandler(Handler);
}
