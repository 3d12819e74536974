// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CMemoryChannel.h"

#include <QThread>

#include "device/CDeviceModel.h"

CMemoryChannel::CMemoryChannel(CDeviceModel& model, Kind kind) : m_model(model), m_kind(kind) {}

bool CMemoryChannel::IsUsable() const
{
    return m_open && !m_model.LinkClosed();
}

int CMemoryChannel::SendAll(const QByteArray& bytes)
{
    if (!IsUsable())
        return 0;
    const QByteArray answer = m_model.Feed(bytes);
    if (!answer.isEmpty()) {
        // A late answer is as good as none once the reader has given up.
        const int delay = m_model.GetFaults().delayMs;
        if (delay >= m_timeout && delay > 0)
            return static_cast<int>(bytes.size());
        if (delay > 0)
            QThread::msleep(static_cast<unsigned long>(delay));
        m_rx.append(answer);
    }
    return static_cast<int>(bytes.size());
}

int CMemoryChannel::ReceiveString(QByteArray& out, int max, char terminator, bool byteWise)
{
    out.clear();
    if (m_rx.isEmpty()) {
        if (m_timeout > 0)
            QThread::msleep(static_cast<unsigned long>(m_timeout));
        return 0;
    }
    qsizetype n = qMin<qsizetype>(max, m_rx.size());
    if (byteWise) {
        const qsizetype t = m_rx.indexOf(terminator);
        if (t >= 0 && t < n)
            n = t + 1;
    }
    out = m_rx.left(n);
    m_rx.remove(0, n);
    return static_cast<int>(n);
}
