// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CPtyDeviceServer.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

CPtyDeviceServer::CPtyDeviceServer(const CDeviceModel::Options& options) : m_model(options) {}

CPtyDeviceServer::~CPtyDeviceServer()
{
    Stop();
    if (m_socat.state() != QProcess::NotRunning) {
        m_socat.terminate();
        m_socat.waitForFinished(5000);
    }
}

bool CPtyDeviceServer::Start()
{
    const QString device = m_dir.filePath(QStringLiteral("device"));
    m_socat.start(QStringLiteral("socat"),
                  {QStringLiteral("pty,raw,echo=0,link=") + ProgramEnd(), QStringLiteral("pty,raw,echo=0,link=") + device});
    if (!m_socat.waitForStarted(10000))
        return false;
    // socat creates both links right after it starts; bounded wait for them.
    const QDeadlineTimer deadline(10000);
    while (!(QFileInfo::exists(ProgramEnd()) && QFileInfo::exists(device))) {
        if (deadline.hasExpired() || m_socat.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(10);
    }
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    m_thread = std::thread([this, fd] { Serve(fd); });
    return true;
}

void CPtyDeviceServer::Serve(int fd)
{
    char buf[256];
    while (!m_stop.load()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;  // the other end is gone
        const QByteArray answer = m_model.Feed(QByteArray(buf, static_cast<int>(n)));
        if (!answer.isEmpty() && ::write(fd, answer.constData(), answer.size()) < 0)
            break;
    }
    ::close(fd);
}

void CPtyDeviceServer::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}
