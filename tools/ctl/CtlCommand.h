// SPDX-License-Identifier: GPL-3.0-or-later
// Commands of korvalisctl register themselves here; main() parses the common options
// and dispatches.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class CCtlContext;

// Exit statuses shared by every command.
enum CtlExit {
    CtlOk = 0,
    CtlFailed = 1,     // the device or a file failed
    CtlUsage = 2,      // bad command line
    CtlCancelled = 3,  // the user (or --on-error abort) stopped it
};

struct CtlCommand {
    QString name;       // first word, e.g. "identify" or "recorder"
    QString synopsis;   // one line for --help
    std::function<int(CCtlContext& ctx, const QStringList& args)> run;
};

std::vector<CtlCommand>& CtlCommands();

struct CtlRegistrar {
    explicit CtlRegistrar(CtlCommand command) { CtlCommands().push_back(std::move(command)); }
};
