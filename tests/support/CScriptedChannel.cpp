// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CScriptedChannel.h"

#include <QThread>

int CScriptedChannel::SendAll(const QByteArray& bytes)
{
    m_sent.append(bytes);
    // A poll is the header followed directly by EOT.
    if (bytes.size() >= 5 && bytes[4] == 0x04) {
        if (!m_answers.isEmpty())
            m_rx.append(m_answers.takeFirst());
        else if (m_hasDefault)
            m_rx.append(m_default);
    }
    return static_cast<int>(bytes.size());
}

int CScriptedChannel::ReceiveString(QByteArray& out, int max, char terminator, bool byteWise)
{
    out.clear();
    if (m_rx.isEmpty()) {
        // A silent line: the read waits its timeout (tests use short ones).
        QThread::msleep(static_cast<unsigned long>(qMax(m_timeout, 1)));
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
