// SPDX-License-Identifier: GPL-3.0-or-later
#include "CAlertRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include "ServiceLog.h"
#include "alerts/CAlertState.h"
#include "alerts/CEmailSettings.h"
#include "app/CEmailAlerts.h"
#include "app/CKorvalisControlApp.h"

namespace {
constexpr int kLineBusyRetryMs = 50;
}  // namespace

CAlertRunner::CAlertRunner(CKorvalisControlApp& app, QObject* parent) : QObject(parent), m_app(app)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CAlertRunner::Cycle);
    CEmailAlerts& alerts = m_app.EmailAlerts();
    connect(&alerts, &CEmailAlerts::SendFinished, this, &CAlertRunner::Changed);
}

QString CAlertRunner::StatePath() const
{
    return QDir(m_app.dataFolder).filePath(CAlertState::FileName(m_serial));
}

QString CAlertRunner::Signature() const
{
    // What must survive a restart at once: latches and whether a rule has taken its minute.
    QString s;
    for (const CEmail& r : m_app.EmailSettings().rules)
        s += QStringLiteral("%1%2%3;").arg(int(r.alarmLatch)).arg(int(r.firstCheck)).arg(r.lastMinute);
    return s;
}

void CAlertRunner::OnLinkUp()
{
    m_timer.start(0);
}

bool CAlertRunner::TakeLock()
{
    if (m_lock.IsHeld() && m_serial == m_app.SerialNumber())
        return true;
    if (m_lock.IsHeld())
        Stop();
    m_serial = m_app.SerialNumber();
    QString error;
    if (!m_lock.Acquire(QStringList{m_app.dataFolder} + m_extraLockFolders, m_serial, &error)) {
        // Said once; the next cycles try again quietly.
        if (error != m_whyNot)
            qCWarning(lcService).noquote() << "alerts not sent by this service:" << error;
        m_whyNot = error;
        Q_EMIT Changed();
        return false;
    }
    m_whyNot.clear();
    CEmailAlerts& alerts = m_app.EmailAlerts();
    alerts.SetRetries(Retries, m_retryDelayMs);
    m_app.LoadEmailSettings();
    m_settingsTime = QFileInfo(m_app.EmailSettings().FilePath()).lastModified();
    const int restored = CAlertState::Load(StatePath(), m_app.EmailSettings().rules);
    m_savedSignature = Signature();
    qCInfo(lcService).noquote() << QStringLiteral("sending the alerts of controller %1: %2 rules from %3 (%4 with their saved state)")
                                       .arg(m_serial)
                                       .arg(m_app.EmailSettings().rules.size())
                                       .arg(m_app.EmailSettings().FilePath())
                                       .arg(restored);
    return true;
}

void CAlertRunner::ReloadSettingsIfChanged()
{
    const QDateTime changed = QFileInfo(m_app.EmailSettings().FilePath()).lastModified();
    if (changed == m_settingsTime)
        return;
    // Rules that stayed the same keep their state through the reload.
    SaveState();
    m_app.LoadEmailSettings();
    m_settingsTime = changed;
    CAlertState::Load(StatePath(), m_app.EmailSettings().rules);
    m_savedSignature = Signature();
    qCInfo(lcService).noquote() << "read the alert rules again:" << m_app.EmailSettings().rules.size() << "rules";
}

void CAlertRunner::Cycle()
{
    if (!m_app.IsConnected() || !TakeLock()) {
        m_timer.start(m_cycleMs);
        return;
    }
    // A client between its request and its poll owns the line: wait for its answer.
    if (m_lineFree && !m_lineFree()) {
        m_timer.start(kLineBusyRetryMs);
        return;
    }
    m_timer.start(m_cycleMs);
    ReloadSettingsIfChanged();
    const int sent = m_app.EmailAlerts().RunAlertCycle();
    if (sent > 0 || Signature() != m_savedSignature)
        SaveState();
    Q_EMIT Changed();
}

void CAlertRunner::SaveState()
{
    if (!m_lock.IsHeld())
        return;
    QString error;
    if (!CAlertState::Save(StatePath(), m_app.EmailSettings().rules, QDateTime::currentDateTime(), &error))
        qCWarning(lcService).noquote() << QStringLiteral("cannot save the alert state to %1: %2").arg(StatePath(), error);
    m_savedSignature = Signature();
}

void CAlertRunner::Stop()
{
    m_timer.stop();
    SaveState();
    m_lock.Release();
}

QJsonObject CAlertRunner::Status() const
{
    QJsonObject o;
    o.insert(QStringLiteral("sender"), IsSender());
    if (!IsSender()) {
        o.insert(QStringLiteral("why"), m_whyNot);
        return o;
    }
    const CEmailArray& rules = m_app.EmailSettings().rules;
    o.insert(QStringLiteral("rules"), static_cast<int>(rules.size()));
    const CEmailAlerts& alerts = m_app.EmailAlerts();
    const CEmailAlerts::SendResult& r = alerts.LastResult();
    if (r.valid)
        o.insert(QStringLiteral("last"), QJsonObject{{QStringLiteral("time"), r.time.toString(Qt::ISODate)},
                                                     {QStringLiteral("subject"), r.subject},
                                                     {QStringLiteral("to"), r.recipients.join(QLatin1Char(','))},
                                                     {QStringLiteral("ok"), r.ok},
                                                     {QStringLiteral("reason"), r.reason}});
    const QDateTime now = alerts.Now();
    const int minute = CEmailAlerts::MinuteOfDay(now);
    int best = -1;
    QString subject;
    for (const CEmail& rule : rules) {
        const int m = rule.MinutesUntilDue(minute);
        if (m >= 0 && (best < 0 || m < best)) {
            best = m;
            subject = rule.subject;
        }
    }
    if (best >= 0) {
        QDateTime due = now.addSecs(60LL * best);
        due.setTime(QTime(due.time().hour(), due.time().minute()));
        o.insert(QStringLiteral("next"), QJsonObject{{QStringLiteral("time"), due.toString(Qt::ISODate)},
                                                     {QStringLiteral("subject"), subject}});
    }
    o.insert(QStringLiteral("retries"), alerts.RetriesPending());
    return o;
}
