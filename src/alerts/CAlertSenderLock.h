// SPDX-License-Identifier: GPL-3.0-or-later
// Exactly one program sends a controller's alert e-mails. The service takes this lock for
// the controller's serial number; the desktop program's own cycle stays off while a live
// program other than itself holds it. A lock of a process that has ended counts as free.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class QLockFile;

class CAlertSenderLock {
public:
    // The folder a system-wide service keeps its lock in, beside the user's data folder.
    static QString SystemFolder() { return QStringLiteral("/run/korvalisd"); }
    static QString FileName(uint32_t serial) { return QStringLiteral("AlertSender-%1.lock").arg(serial); }
    // Where the desktop program looks: its data folder and the system service's folder.
    static QStringList FoldersToCheck(const QString& dataFolder);

    CAlertSenderLock();
    ~CAlertSenderLock();
    CAlertSenderLock(const CAlertSenderLock&) = delete;
    CAlertSenderLock& operator=(const CAlertSenderLock&) = delete;

    // Takes the lock for serial in every folder; false (holding none) when another live
    // program holds one, with error saying who.
    bool Acquire(const QStringList& folders, uint32_t serial, QString* error = nullptr);
    void Release();
    bool IsHeld() const { return !m_locks.empty(); }

    // The process id of a live program other than this one that holds the lock for serial
    // in one of the folders; 0 when none does.
    static qint64 Holder(const QStringList& folders, uint32_t serial);

private:
    std::vector<std::unique_ptr<QLockFile>> m_locks;
};
