// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CSerialPortProblem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "lang/CLanguage.h"

namespace {
QString UserName()
{
    if (const passwd* pw = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::fromLocal8Bit(qgetenv("USER"));
}

bool InActiveGroups(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int n = ::getgroups(0, nullptr);
    if (n <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    const int got = ::getgroups(n, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<size_t>(i)] == gid)
            return true;
    return false;
}

// Listed in the group database (an adduser done since this session started).
bool ListedInGroup(const struct group* gr, const QString& user)
{
    for (char** m = gr->gr_mem; m && *m; ++m)
        if (QString::fromLocal8Bit(*m) == user)
            return true;
    return false;
}

// A process of ours that has the device open; others' descriptors are not readable, so
// this finds another program of the same user, which is the common case on a desktop.
QString FindHolder(const QString& device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    const QString self = QString::number(::getpid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
        if (pid == self || pid.front() < QLatin1Char('0') || pid.front() > QLatin1Char('9'))
            continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() != target)
                continue;
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            if (comm.open(QIODevice::ReadOnly))
                return QString::fromLocal8Bit(comm.readAll()).trimmed();
            return pid;
        }
    }
    return {};
}

bool BrlttyInstalled()
{
    for (const char* path : {"/usr/bin/brltty", "/bin/brltty", "/usr/sbin/brltty"})
        if (::access(path, X_OK) == 0)
            return true;
    return false;
}
}  // namespace

CSerialPortProblem CSerialPortProblem::Diagnose(const QString& device, bool lockedOrBusy, const QString& systemText)
{
    CSerialPortProblem p;
    p.device = device;
    p.systemText = systemText;
    const QByteArray path = QFile::encodeName(device);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            p.kind = Kind::Missing;
            p.brlttyInstalled = BrlttyInstalled();
        }
        return p;
    }
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        p.kind = Kind::Permission;
        p.user = UserName();
        if (const struct group* gr = ::getgrgid(st.st_gid)) {
            p.group = QString::fromLocal8Bit(gr->gr_name);
            p.groupNotActive = !InActiveGroups(st.st_gid) && ListedInGroup(gr, p.user);
        } else {
            p.group = QString::number(st.st_gid);
        }
        return p;
    }
    if (lockedOrBusy) {
        p.kind = Kind::Busy;
        p.holder = FindHolder(device);
    }
    return p;
}

QString CSerialPortProblem::Explain() const
{
    switch (kind) {
    case Kind::Permission:
        if (groupNotActive)
            return TrArg(31381, {device, group});
        return TrArg(31380, {device, group, user.isEmpty() ? QStringLiteral("$USER") : user});
    case Kind::Busy:
        return holder.isEmpty() ? TrArg(31382, {device}) : TrArg(31383, {device, holder});
    case Kind::Missing:
        return brlttyInstalled ? TrArg(31384, {device}) + QStringLiteral("\n\n") + Tr(31385)
                               : TrArg(31384, {device});
    case Kind::Other:
        break;
    }
    return TrArg(31386, {device, systemText});
}

QString CSerialPortProblem::Text() const
{
    const QString text = Explain();
    // Without a catalogue (a library user that loaded none) the system's words still say it.
    return text.isEmpty() ? QStringLiteral("%1: %2").arg(device, systemText) : text;
}
