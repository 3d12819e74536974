// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisd as a child process for integration tests and benchmarks: a data folder and a
// status folder of the test's own, the endpoint on a free loopback port (the first line it
// prints), its log kept in a file.
#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

class CServiceProcess {
public:
    // home: what KORVALIS_HOME is for the service (its data folder is home/KorvalisControl).
    explicit CServiceProcess(const QString& home);
    ~CServiceProcess();

    // Starts it with the connection options in args; waits for the port line.
    bool Start(const QStringList& args);
    // Starts it with a configuration file whose controllers serve on port 0; waits for
    // their port lines.
    bool StartWithConfig(const QString& config, int controllers, const QStringList& args = {});
    quint16 Port(int controller = 0) const { return m_ports.value(controller); }
    QString Address(int controller = 0) const { return QStringLiteral("127.0.0.1:%1").arg(Port(controller)); }
    QString StatusFolder() const { return m_home + QStringLiteral("/run"); }
    qint64 Pid() const { return m_process.processId(); }
    // What it logged so far.
    QString Log() const;
    // Lines of the log that contain text.
    int CountLog(const QString& text) const;
    // SIGTERM and wait; the exit code, -1 when it crashed or hung.
    int Stop();
    // The status file's content (empty while there is none); with several controllers the
    // one serving on port.
    QJsonObject Status(quint16 port = 0) const;
    // Polls the status (and the event loop) until ready(status) or msecs passed.
    bool WaitFor(const std::function<bool(const QJsonObject&)>& ready, int msecs = 30000) const;

private:
    bool Launch(const QStringList& args, int ports);

    QString m_home;
    QString m_logPath;
    QProcess m_process;
    QList<quint16> m_ports;
    int m_starts = 0;
};
