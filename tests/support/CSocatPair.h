// SPDX-License-Identifier: GPL-3.0-or-later
// A real pseudo-terminal pair made by socat: two device paths joined back to back.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class CSocatPair {
public:
    CSocatPair();
    ~CSocatPair();
    // Starts socat and waits until both ends exist; false when socat is missing or fails.
    bool Start();
    QString EndA() const { return m_dir.path() + QStringLiteral("/a"); }
    QString EndB() const { return m_dir.path() + QStringLiteral("/b"); }

private:
    QTemporaryDir m_dir;
    QProcess m_socat;
};
