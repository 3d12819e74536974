// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
constexpr int kAnswerMs = 2000;
}

CSingleInstance::CSingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent), m_folder(QDir(dataFolder).absolutePath()),
      m_lockPath(QDir(m_folder).filePath(QStringLiteral("KorvalisControl.lock")))
{
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::ServerName() const
{
    const QByteArray hash = QCryptographicHash::hash(m_folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("korvalis-control-%1").arg(QString::fromLatin1(hash));
}

bool CSingleInstance::Acquire()
{
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Stale only when its process is gone (QLockFile checks the process id), never by age:
    // a program may run for months.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_server = new QLocalServer(this);
        QLocalServer::removeServer(ServerName());  // left by a program that crashed
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = m_server->nextPendingConnection()) {
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                s->disconnectFromServer();
                Q_EMIT raiseRequested();
            }
        });
        m_server->listen(ServerName());
        return true;
    }
    m_lock.reset();
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (socket.waitForConnected(kAnswerMs)) {
        socket.write("raise\n");
        socket.waitForBytesWritten(kAnswerMs);
        socket.disconnectFromServer();
    }
    return false;
}
