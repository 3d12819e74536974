// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CDiscoveryResponder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSettings>

#include "base/CAppPaths.h"

CDiscoveryResponder::CDiscoveryResponder(const QStringList& answerFrom) : m_answerFrom(answerFrom)
{
    m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len);
    m_port = ntohs(a.sin_port);
    m_thread = std::thread([this] { Run(); });
}

CDiscoveryResponder::~CDiscoveryResponder()
{
    Finish();
    if (m_fd >= 0)
        ::close(m_fd);
}

QString CDiscoveryResponder::Target() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void CDiscoveryResponder::InstallAsTarget() const
{
    QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Network/DiscoveryTarget"), Target());
    s.sync();
}

QByteArray CDiscoveryResponder::Finish()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_query;
}

void CDiscoveryResponder::Run()
{
    // Upper bound only: the query normally arrives within milliseconds.
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 30000) != 1)
        return;
    char buf[512];
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n = ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
    if (n < 0)
        return;
    m_query = QByteArray(buf, static_cast<int>(n));
    for (const QString& source : m_answerFrom) {
        const int out = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        ::inet_pton(AF_INET, source.toLatin1().constData(), &a.sin_addr);
        ::bind(out, reinterpret_cast<sockaddr*>(&a), sizeof a);
        const char answer[30] = {0, 0, 0, static_cast<char>(0xF9)};
        ::sendto(out, answer, sizeof answer, 0, reinterpret_cast<sockaddr*>(&from), len);
        ::close(out);
    }
}
