// SPDX-License-Identifier: GPL-3.0-or-later
// Runs korvalisctl as a process, with a data folder of the test's (never the user's).
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include "support/TestPaths.h"

struct CtlResult {
    int exitCode = -1;  // -1: did not finish in a minute, or crashed
    QString out;
    QString err;
};

inline CtlResult RunCtl(const QStringList& args, const QString& home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVALIS_HOME"), home);
    p.setProcessEnvironment(env);
    p.start(TestPaths::Program("korvalisctl"), args);
    CtlResult r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
