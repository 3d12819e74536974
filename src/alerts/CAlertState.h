// SPDX-License-Identifier: GPL-3.0-or-later
// The alert rules' runtime state (alarm latches, interval counters, the minute last seen)
// kept in a file, so that a program that restarts neither sends an e-mail a second time
// nor forgets an alarm it already reported. Each rule is known by its stored fields: a
// rule that was edited meanwhile starts afresh.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "alerts/CEmailArray.h"

class CAlertState {
public:
    static QString FileName(uint32_t serial) { return QStringLiteral("AlertState-%1.json").arg(serial); }

    // The file's content for these rules.
    static QByteArray Serialize(const CEmailArray& rules, const QDateTime& now);
    // Gives rules that match a saved entry their saved runtime fields; returns how many.
    // Anything that is not a state file leaves the rules as they are.
    static int Restore(CEmailArray& rules, const QByteArray& bytes);

    // Atomic: a crash leaves the previous file. False with error on failure.
    static bool Save(const QString& path, const CEmailArray& rules, const QDateTime& now, QString* error = nullptr);
    static int Load(const QString& path, CEmailArray& rules);

private:
    static QString Key(const CEmail& rule, int occurrence);
};
