// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator program's core: one virtual controller (and SMS module) brought to life,
// served over TCP (one client at a time, the next ones wait their turn) and/or a
// pseudo-terminal, with the discovery answer, injected faults, line pacing and a state
// file. Everything runs on the Qt event loop; delays are timers.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <memory>

#include "CEmulatorOptions.h"

class CBootLoader;
class CDeviceModel;
class CDiscoveryResponder;
class CEmulatorLink;
class CLiveController;
class CPtyLink;
class CTcpClientLink;
class QTcpServer;

class CEmulator : public QObject {
    Q_OBJECT
public:
    explicit CEmulator(const CEmulatorOptions& options, QObject* parent = nullptr);
    ~CEmulator() override;

    // Loads the state and opens the links. The ready line (TCP port, or the terminal path)
    // is in ReadyLine afterwards.
    bool Start(QString& error);
    QString ReadyLine() const { return m_readyLine; }
    // Saves the state; the links stay as they are.
    void Stop();

    CDeviceModel& Model() { return *m_model; }
    uint16_t TcpPort() const;

Q_SIGNALS:
    // Nothing is left to serve (the pseudo-terminal closed and there is no TCP server).
    void Finished();

private:
    void OnNewConnection();
    void Activate(CTcpClientLink* link);
    void OnReceived(CEmulatorLink* link, const QByteArray& bytes);
    void OnLinkClosed(CEmulatorLink* link);
    void DropStalledClient();
    void Enqueue(CEmulatorLink* link, const QByteArray& answer, bool closeAfter);
    void SendDue();
    int PacingBaud() const;
    void ScheduleSave();
    void SaveState();

    CEmulatorOptions m_options;
    std::unique_ptr<CDeviceModel> m_model;
    std::unique_ptr<CLiveController> m_live;
    std::unique_ptr<CBootLoader> m_bootLoader;
    QTcpServer* m_server = nullptr;
    QPointer<CTcpClientLink> m_client;
    std::deque<QPointer<CTcpClientLink>> m_waiting;
    CPtyLink* m_pty = nullptr;
    CDiscoveryResponder* m_discovery = nullptr;
    QString m_readyLine;

    // Answers on their way out, in order; due times in ms of m_time.
    struct Outgoing {
        QPointer<CEmulatorLink> link;
        double dueMs;
        QByteArray bytes;
        bool closeAfter;
    };
    std::deque<Outgoing> m_out;
    QTimer m_sendTimer;
    QElapsedTimer m_time;
    double m_rxDoneMs = 0;  // when the bytes received so far would have finished arriving
    double m_txFreeMs = 0;  // when the line is free for the next answer
    QTimer m_saveTimer;
    QTimer m_stallTimer;  // runs while the TCP client holds an unfinished frame
};
