// SPDX-License-Identifier: GPL-3.0-or-later
// Holds the link to the controller: connects through the application object's connect
// sequence, probes it while nobody talks to the controller, and after a lost link tries
// again with a growing pause. It logs the changes, not every failed attempt.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "link/CConnection.h"

class CKorvalisControlApp;

class CLinkKeeper : public QObject {
    Q_OBJECT
public:
    enum class State { Connecting, Up, Down };
    static constexpr int FirstRetryMs = 1000;
    static constexpr int MaxRetryMs = 60000;

    CLinkKeeper(CKorvalisControlApp& app, const CConnection& connection, QObject* parent = nullptr);

    void Start();
    // Probe the link after this much quiet (ms); 0 switches the probe off.
    void SetProbeInterval(int msecs);
    // Whether the probe may use the line now, and how long nobody has used it.
    void SetLineCheck(std::function<bool()> isFree, std::function<qint64()> idleMs)
    {
        m_lineFree = std::move(isFree);
        m_idleMs = std::move(idleMs);
    }

    State GetState() const { return m_state; }
    static const char* StateName(State state);
    QDateTime Since() const { return m_since; }
    QString LastError() const { return m_lastError; }
    QString Where() const;
    int Attempts() const { return m_attempts; }

public Q_SLOTS:
    // Something found the link gone: drop it and start trying again.
    void LinkLost(const QString& reason);

Q_SIGNALS:
    void LinkUp();
    void LinkDown();
    void StateChanged();

private:
    void Attempt();
    void Probe();
    void SetState(State state);

    CKorvalisControlApp& m_app;
    CConnection m_connection;
    State m_state = State::Down;
    QDateTime m_since;
    QString m_lastError;
    QString m_loggedError;
    int m_retryMs = FirstRetryMs;
    int m_attempts = 0;
    bool m_wasUp = false;
    QTimer m_retry;
    QTimer m_probe;
    int m_probeMs = 15000;
    QElapsedTimer m_lastProbe;
    std::function<bool()> m_lineFree;
    std::function<qint64()> m_idleMs;
};
