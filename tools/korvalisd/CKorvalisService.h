// SPDX-License-Identifier: GPL-3.0-or-later
// The service for one controller: the link (CLinkKeeper), the shared bus endpoint
// (CBusShare), the alert cycle (CAlertRunner), the scheduled recorder download
// (CDownloadRunner) and the status file that describes them. One process holds one per
// controller, each with an application object of its own.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "link/CConnection.h"

class CAlertRunner;
class CBusShare;
class CDownloadRunner;
class CKorvalisControlApp;
class CLinkKeeper;

class CKorvalisService : public QObject {
    Q_OBJECT
public:
    struct Options {
        QHostAddress serveAddress = QHostAddress::LocalHost;
        quint16 servePort = 10101;
        QString statusFolder;     // empty: CServiceStatus::OwnFolder()
        bool alerts = true;
        int alertIntervalMs = 30000;
        int retryDelayMs = 60000;
        int probeIntervalMs = 15000;
        qint64 downloadIntervalMs = 24 * 3600 * 1000;  // 0: no scheduled download
        QString name;  // the stored connection's name, when it came from one
    };

    CKorvalisService(CKorvalisControlApp& app, const CConnection& connection, const Options& options,
                     QObject* parent = nullptr);
    ~CKorvalisService() override;

    // Opens the endpoint; false with error when the address is taken or not ours.
    bool Start(QString& error);
    quint16 Port() const;
    // Saves the alert state, releases the lock, removes the status file.
    void Stop();

private:
    void ScheduleStatus();
    void WriteStatus();

    CKorvalisControlApp& m_app;
    Options m_options;
    std::unique_ptr<CLinkKeeper> m_link;
    std::unique_ptr<CBusShare> m_share;
    std::unique_ptr<CAlertRunner> m_alerts;
    std::unique_ptr<CDownloadRunner> m_download;
    QTimer m_statusTimer;
    QString m_statusPath;
    QString m_started;
};
