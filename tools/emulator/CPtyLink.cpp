// SPDX-License-Identifier: GPL-3.0-or-later
#include "CPtyLink.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
// Answers waiting for a PC that does not read are dropped beyond this.
constexpr qsizetype kMaxPending = 64 * 1024;

int BaudOf(speed_t s)
{
    switch (s) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
    }
}
}  // namespace

CPtyLink::CPtyLink(QObject* parent) : CEmulatorLink(parent)
{
    m_drainTimer.setInterval(10);
    connect(&m_drainTimer, &QTimer::timeout, this, [this]() { FinishClose(); });
}

CPtyLink::~CPtyLink()
{
    Shut();
}

bool CPtyLink::Open(QString& error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        Shut();
        return false;
    }
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        error = QStringLiteral("cannot name the pseudo-terminal");
        Shut();
        return false;
    }
    m_path = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        error = QStringLiteral("cannot open %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        Shut();
        return false;
    }
    // Raw from the start: no echo of the answers back to the emulator, no line editing.
    termios t{};
    if (tcgetattr(m_slave, &t) == 0) {
        cfmakeraw(&t);
        cfsetspeed(&t, B9600);
        tcsetattr(m_slave, TCSANOW, &t);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this]() { OnReadable(); });
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this]() { OnWritable(); });
    return true;
}

int CPtyLink::LineBaud() const
{
    termios t{};
    if (m_slave < 0 || tcgetattr(m_slave, &t) != 0)
        return 0;
    return BaudOf(cfgetospeed(&t));
}

void CPtyLink::OnReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            Q_EMIT Received(QByteArray(buffer, static_cast<qsizetype>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // The terminal went away under us (it cannot while we hold its other side).
        Shut();
        if (!m_closedSignalled) {
            m_closedSignalled = true;
            Q_EMIT Closed();
        }
        return;
    }
}

void CPtyLink::Send(const QByteArray& bytes)
{
    if (m_master < 0)
        return;
    if (m_pending.size() + bytes.size() > kMaxPending)
        return;
    m_pending.append(bytes);
    OnWritable();
}

void CPtyLink::OnWritable()
{
    while (!m_pending.isEmpty() && m_master >= 0) {
        const ssize_t n = ::write(m_master, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;  // full: wait until the terminal takes more
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
    if (m_pending.isEmpty() && m_closing && !m_drainTimer.isActive()) {
        m_drainClock.start();
        m_drainTimer.start();
        FinishClose();
    }
}

void CPtyLink::FinishClose()
{
    // Closing the terminal discards what the PC has not read yet: the last answer must get
    // there first (bounded, for a PC that never reads).
    // The terminal hands written bytes on to its reading side a little later, so an empty
    // queue counts only after a short while.
    int waiting = 0;
    const bool queued = m_slave >= 0 && ioctl(m_slave, TIOCINQ, &waiting) == 0 && waiting > 0;
    if ((queued || m_drainClock.elapsed() < 100) && m_drainClock.elapsed() < 2000)
        return;
    m_drainTimer.stop();
    Shut();
    if (!m_closedSignalled) {
        m_closedSignalled = true;
        Q_EMIT Closed();
    }
}

void CPtyLink::Close()
{
    if (m_master < 0 || m_closing)
        return;
    m_closing = true;
    OnWritable();
}

void CPtyLink::Shut()
{
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}
