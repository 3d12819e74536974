// SPDX-License-Identifier: GPL-3.0-or-later
#include "CLinkKeeper.h"

#include "ServiceLog.h"
#include "app/CKorvalisControlApp.h"
#include "base/ModelInfo.h"
#include "link/CSWMBus.h"

CLinkKeeper::CLinkKeeper(CKorvalisControlApp& app, const CConnection& connection, QObject* parent)
    : QObject(parent), m_app(app), m_connection(connection), m_since(QDateTime::currentDateTime())
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &CLinkKeeper::Attempt);
    connect(&m_probe, &QTimer::timeout, this, &CLinkKeeper::Probe);
}

const char* CLinkKeeper::StateName(State state)
{
    switch (state) {
    case State::Connecting: return "connecting";
    case State::Up: return "up";
    case State::Down: return "down";
    }
    return "down";
}

QString CLinkKeeper::Where() const
{
    const QString where = m_connection.IsTcp()
                              ? QStringLiteral("%1:%2").arg(m_connection.networkAddress).arg(m_connection.tcpPort)
                              : (m_app.serialDeviceOverride.isEmpty() ? QStringLiteral("COM%1").arg(m_connection.comPort)
                                                                      : m_app.serialDeviceOverride);
    return QStringLiteral("%1, bus address %2").arg(where).arg(m_connection.deviceAddress);
}

void CLinkKeeper::SetProbeInterval(int msecs)
{
    m_probeMs = msecs;
    if (m_probeMs <= 0)
        m_probe.stop();
    else if (m_state == State::Up)
        m_probe.start(std::max(100, m_probeMs / 2));
}

void CLinkKeeper::Start()
{
    Attempt();
}

void CLinkKeeper::SetState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    m_since = QDateTime::currentDateTime();
    Q_EMIT StateChanged();
}

void CLinkKeeper::Attempt()
{
    ++m_attempts;
    const QDateTime downSince = m_since;
    SetState(State::Connecting);
    if (m_app.Connect(&m_connection, true)) {
        const qint64 downSeconds = downSince.secsTo(QDateTime::currentDateTime());
        m_lastError.clear();
        m_loggedError.clear();
        m_retryMs = FirstRetryMs;
        const QString what = QStringLiteral("%1, firmware %2, serial number %3")
                                 .arg(m_app.GetModelName())
                                 .arg(m_app.FirmwareVersion())
                                 .arg(m_app.SerialNumber());
        if (m_wasUp)
            qCInfo(lcService).noquote() << "link back after" << downSeconds << "s:" << what << "at" << Where();
        else
            qCInfo(lcService).noquote() << "connected:" << what << "at" << Where();
        m_wasUp = true;
        m_attempts = 0;
        SetState(State::Up);
        if (m_probeMs > 0)
            m_probe.start(std::max(100, m_probeMs / 2));
        Q_EMIT LinkUp();
        return;
    }
    m_lastError = m_app.LastChannelError();
    if (m_lastError.isEmpty())
        m_lastError = QStringLiteral("the device did not answer the identification");
    // One line when the reason changes; a link that stays down says nothing more.
    if (m_lastError != m_loggedError) {
        qCWarning(lcService).noquote() << "cannot connect to" << Where() << "-" << m_lastError
                                       << "- trying again, at most every" << MaxRetryMs / 1000 << "s";
        m_loggedError = m_lastError;
    }
    m_since = downSince;
    SetState(State::Down);
    m_retry.start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, MaxRetryMs);
}

void CLinkKeeper::LinkLost(const QString& reason)
{
    if (m_state != State::Up)
        return;
    m_probe.stop();
    m_app.Disconnect();
    m_lastError = reason;
    m_loggedError = reason;
    qCWarning(lcService).noquote() << "link lost:" << reason;
    SetState(State::Down);
    Q_EMIT LinkDown();
    m_retryMs = FirstRetryMs;
    m_retry.start(m_retryMs);
    m_retryMs *= 2;
}

void CLinkKeeper::Probe()
{
    if (m_state != State::Up || m_app.IsTransferInProgress())
        return;
    if (m_lineFree && !m_lineFree())
        return;
    if (m_idleMs && m_idleMs() < m_probeMs)
        return;
    if (m_lastProbe.isValid() && m_lastProbe.elapsed() < m_probeMs)
        return;
    m_lastProbe.start();
    const uint16_t status = m_app.ReadParameter(0);
    if (status == CSWMBus::NoAnswer || status == CSWMBus::NoChannel)
        LinkLost(m_app.TransferFailureText(status));
}
