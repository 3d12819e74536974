// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CDeviceModelServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>

#include "device/CDeviceModel.h"

uint16_t CDeviceModelServer::ServeTcp()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return 0;
    }
    if (::pipe(m_wakeFds) != 0) {
        ::close(fd);
        return 0;
    }
    m_thread = std::thread([this, fd] { Run(fd, -1); });
    return ntohs(addr.sin_port);
}

bool CDeviceModelServer::ServeTty(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    if (::pipe(m_wakeFds) != 0) {
        ::close(fd);
        return false;
    }
    m_thread = std::thread([this, fd] { Run(-1, fd); });
    return true;
}

void CDeviceModelServer::Stop()
{
    if (!m_thread.joinable())
        return;
    m_stop = true;
    const char c = 'x';
    [[maybe_unused]] const auto n = ::write(m_wakeFds[1], &c, 1);
    m_thread.join();
    ::close(m_wakeFds[0]);
    ::close(m_wakeFds[1]);
}

void CDeviceModelServer::Run(int listenFd, int ioFd)
{
    char buffer[4096];
    while (!m_stop) {
        pollfd fds[2] = {{m_wakeFds[0], POLLIN, 0}, {ioFd >= 0 ? ioFd : listenFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (fds[0].revents)
            break;
        if (ioFd < 0) {
            ioFd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (ioFd >= 0) {
                const int one = 1;
                ::setsockopt(ioFd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            }
            continue;
        }
        const ssize_t n = ::read(ioFd, buffer, sizeof buffer);
        if (n <= 0) {
            ::close(ioFd);
            ioFd = -1;
            if (listenFd < 0)
                break;
            continue;
        }
        const QByteArray answer = m_model.Feed(QByteArray(buffer, static_cast<int>(n)));
        if (!answer.isEmpty())
            [[maybe_unused]] const auto w = ::write(ioFd, answer.constData(), static_cast<size_t>(answer.size()));
        if (m_model.LinkClosed() && listenFd >= 0) {
            ::close(ioFd);
            ioFd = -1;
        }
    }
    if (ioFd >= 0)
        ::close(ioFd);
    if (listenFd >= 0)
        ::close(listenFd);
}
