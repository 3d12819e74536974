// SPDX-License-Identifier: GPL-3.0-or-later
// The alert cycle without a window: the application's own CEmailAlerts, run every 30 s for
// the connected controller, while this service holds the controller's sender lock. It reads
// "EmailSettings.dat" again when the desktop program changed it, keeps the rules' runtime
// state in a file so a restart sends nothing twice, and retries failed sends a few times.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "alerts/CAlertSenderLock.h"

class CKorvalisControlApp;

class CAlertRunner : public QObject {
    Q_OBJECT
public:
    static constexpr int CycleMs = 30000;
    static constexpr int Retries = 3;

    explicit CAlertRunner(CKorvalisControlApp& app, QObject* parent = nullptr);

    void SetCycleInterval(int msecs) { m_cycleMs = msecs; }
    void SetRetryDelay(int msecs) { m_retryDelayMs = msecs; }
    // Folders the sender lock goes into besides the data folder (the runtime folder).
    void SetLockFolders(const QStringList& extra) { m_extraLockFolders = extra; }
    void SetLineCheck(std::function<bool()> isFree) { m_lineFree = std::move(isFree); }

    bool IsSender() const { return m_lock.IsHeld(); }
    QString WhyNotSender() const { return m_whyNot; }
    // For the status file: sender, last send, next due.
    QJsonObject Status() const;

public Q_SLOTS:
    // The link is up: run a cycle at once (it takes the lock for this controller first).
    void OnLinkUp();
    // Saves the rules' state; called at the end.
    void Stop();

Q_SIGNALS:
    void Changed();

private:
    void Cycle();
    // The sender lock for the connected controller, with its rules and their saved state.
    bool TakeLock();
    void ReloadSettingsIfChanged();
    void SaveState();
    QString StatePath() const;
    QString Signature() const;

    CKorvalisControlApp& m_app;
    CAlertSenderLock m_lock;
    uint32_t m_serial = 0;
    QStringList m_extraLockFolders;
    QString m_whyNot = QStringLiteral("no controller connected yet");
    QTimer m_timer;
    int m_cycleMs = CycleMs;
    int m_retryDelayMs = 60000;
    QDateTime m_settingsTime;
    QString m_savedSignature;
    std::function<bool()> m_lineFree;
};
