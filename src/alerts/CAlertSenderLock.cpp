// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/CAlertSenderLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QSysInfo>
#include <cerrno>
#include <signal.h>
#include <unistd.h>

namespace {
bool Alive(qint64 pid)
{
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}
}  // namespace

QStringList CAlertSenderLock::FoldersToCheck(const QString& dataFolder)
{
    QStringList folders;
    if (!dataFolder.isEmpty())
        folders << dataFolder;
    folders << SystemFolder();
    return folders;
}

CAlertSenderLock::CAlertSenderLock() = default;

CAlertSenderLock::~CAlertSenderLock()
{
    Release();
}

bool CAlertSenderLock::Acquire(const QStringList& folders, uint32_t serial, QString* error)
{
    Release();
    for (const QString& folder : folders) {
        QDir().mkpath(folder);
        auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(FileName(serial)));
        // Only a dead holder makes a lock stale, never its age: the service runs for months.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            if (error) {
                qint64 pid = 0;
                QString host, app;
                lock->getLockInfo(&pid, &host, &app);
                *error = lock->error() == QLockFile::LockFailedError
                             ? QStringLiteral("%1 (process %2) already sends the alerts of controller %3")
                                   .arg(app.isEmpty() ? QStringLiteral("another program") : app)
                                   .arg(pid)
                                   .arg(serial)
                             : QStringLiteral("cannot create %1").arg(lock->fileName());
            }
            Release();
            return false;
        }
        m_locks.push_back(std::move(lock));
    }
    return true;
}

void CAlertSenderLock::Release()
{
    for (auto& lock : m_locks)
        lock->unlock();
    m_locks.clear();
}

qint64 CAlertSenderLock::Holder(const QStringList& folders, uint32_t serial)
{
    const qint64 self = QCoreApplication::applicationPid();
    for (const QString& folder : folders) {
        QLockFile lock(QDir(folder).filePath(FileName(serial)));
        qint64 pid = 0;
        QString host, app;
        if (!lock.getLockInfo(&pid, &host, &app))
            continue;
        if (pid != self && host == QSysInfo::machineHostName() && Alive(pid))
            return pid;
    }
    return 0;
}
