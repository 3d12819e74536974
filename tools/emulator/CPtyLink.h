// SPDX-License-Identifier: GPL-3.0-or-later
// A pseudo-terminal the PC opens as its serial port. The emulator keeps the terminal side
// open itself, so a PC that closes and reopens the port finds it again and the emulator
// never sees a hang-up.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include "CEmulatorLink.h"

class QSocketNotifier;

class CPtyLink : public CEmulatorLink {
    Q_OBJECT
public:
    explicit CPtyLink(QObject* parent);
    ~CPtyLink() override;

    bool Open(QString& error);
    QString TerminalPath() const { return m_path; }
    // The line speed the PC set on its side (0 when unknown).
    int LineBaud() const;

    void Send(const QByteArray& bytes) override;
    void Close() override;
    QString Describe() const override { return QStringLiteral("pseudo-terminal %1").arg(m_path); }

private:
    void OnReadable();
    void OnWritable();
    void Shut();
    void FinishClose();

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_pending;
    bool m_closing = false;
    bool m_closedSignalled = false;
    QTimer m_drainTimer;
    QElapsedTimer m_drainClock;
};
