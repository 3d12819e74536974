// SPDX-License-Identifier: GPL-3.0-or-later
// The service's log: one line per event on stderr, which systemd passes to the journal.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcService)

namespace ServiceLog {
// Lines as the journal reads them: a "<level>" prefix when stderr goes to the journal,
// the program's name otherwise.
void Install();
}  // namespace ServiceLog
