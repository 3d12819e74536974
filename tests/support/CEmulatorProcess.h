// SPDX-License-Identifier: GPL-3.0-or-later
// korvalis-emulator as a child process for integration tests: started on a free loopback
// port (or a pseudo-terminal), its stderr kept in a file so a chatty emulator never blocks
// on a full pipe while a test waits in a blocking transaction.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>

class CEmulatorProcess {
public:
    CEmulatorProcess();
    ~CEmulatorProcess();

    // Starts the emulator with args plus, unless args say otherwise, a free loopback port,
    // no discovery answers and --die-with-parent; waits for its ready line.
    bool Start(const QStringList& args = {});
    // The same with --pty: the ready line is the terminal's path.
    bool StartPty(const QStringList& args = {});

    uint16_t Port() const { return m_port; }
    QString TerminalPath() const { return m_terminal; }
    QString TcpAddress() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // What the emulator wrote to stderr so far.
    QString ErrorOutput() const;
    // Lines of the verbose access log ("C read 2 = 4") for one parameter and kind.
    int CountAccesses(const QString& kind, int number) const;
    bool IsRunning() const { return m_process.state() == QProcess::Running; }
    // Ends it with SIGTERM (it saves its state on the way out); its exit code, -1 on a crash.
    int Stop();
    QProcess& Process() { return m_process; }

private:
    bool Launch(QStringList args, bool pty);

    QTemporaryDir m_dir;
    QProcess m_process;
    uint16_t m_port = 0;
    QString m_terminal;
};
