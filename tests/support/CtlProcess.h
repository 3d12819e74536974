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

// Any program as a process: its environment, what it reads on standard input.
inline CtlResult RunProcess(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                            const QByteArray& input = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
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

inline CtlResult RunCtl(const QStringList& args, const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVALIS_HOME"), home);
    return RunProcess(TestPaths::Program("korvalisctl"), args, env);
}
