// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/CRegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace {
QString KindText(mode_t mode)
{
    if (S_ISDIR(mode)) return QStringLiteral("is a directory");
    if (S_ISFIFO(mode)) return QStringLiteral("is a FIFO, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("is a device, not a regular file");
    return QStringLiteral("is not a regular file");
}

void Set(QString* why, const QString& text)
{
    if (why) *why = text;
}
}  // namespace

bool CRegularFile::OpenForReading(QFile& file, QString* why)
{
    const QByteArray name = QFile::encodeName(file.fileName());
    // O_NONBLOCK only keeps the open itself from waiting for a FIFO's writer; it is cleared
    // again, and for a regular file it changes nothing.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Set(why, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Set(why, KindText(st.st_mode));
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        Set(why, file.errorString());
        ::close(fd);
        return false;
    }
    return true;
}

QString CRegularFile::SaveTarget(const QString& path, QString* why)
{
    QString target = path;
    // Follow a chain of links to the file at its end (which may not exist yet).
    for (int hops = 0; hops < 40 && QFileInfo(target).isSymLink(); ++hops)
        target = QFileInfo(target).symLinkTarget();
    struct stat st {};
    // Absent, or not reachable at all: the save itself fails or creates it, as for any path.
    if (::lstat(QFile::encodeName(target).constData(), &st) != 0)
        return target;
    if (!S_ISREG(st.st_mode)) {
        Set(why, KindText(st.st_mode));
        return QString();
    }
    return target;
}

bool CRegularFile::Replace(const QString& path, const QByteArray& bytes, QString* why)
{
    const QString target = SaveTarget(path, why);
    if (target.isEmpty())
        return false;
    QSaveFile file(target);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    Set(why, file.errorString());
    return false;
}
