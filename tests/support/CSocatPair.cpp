// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CSocatPair.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

CSocatPair::CSocatPair() = default;

CSocatPair::~CSocatPair()
{
    if (m_socat.state() != QProcess::NotRunning) {
        m_socat.terminate();
        if (!m_socat.waitForFinished(3000))
            m_socat.kill();
        m_socat.waitForFinished(3000);
    }
}

bool CSocatPair::Start()
{
    m_socat.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_socat.start(QStringLiteral("socat"),
                  {QStringLiteral("pty,raw,echo=0,link=%1").arg(EndA()),
                   QStringLiteral("pty,raw,echo=0,link=%1").arg(EndB())});
    if (!m_socat.waitForStarted(5000))
        return false;
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(EndA()) && QFileInfo::exists(EndB()))
            return true;
        if (m_socat.state() == QProcess::NotRunning)
            return false;
        m_socat.waitForFinished(20);  // a bounded wait for socat to create the links
    }
    return false;
}
