// SPDX-License-Identifier: GPL-3.0-or-later
// One running program per profile: two windows on the same data folder would overwrite each
// other's connections and settings at exit. The first start holds a lock file in the data
// folder and listens on a local socket named after the folder; a later start finds the lock,
// asks the first one to bring its window forward, and ends.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True: this is the only program on the profile (the lock is held until destruction).
    // False: another one runs; it has been asked to come forward.
    bool Acquire();
    QString LockFile() const { return m_lockPath; }

Q_SIGNALS:
    // A later start asked for the window.
    void raiseRequested();

private:
    QString ServerName() const;

    QString m_folder;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
