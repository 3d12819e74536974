// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduled recorder download: every interval the controller's recorder is read into its
// history database with the download the desktop program and korvalisctl use. Each access
// waits until no client is between its request and its poll, so the download's frames and
// the clients' never mix; the clients' transactions go on between the records. A failed
// download is logged and tried again at the next interval.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class CKorvalisControlApp;

class CDownloadRunner : public QObject {
    Q_OBJECT
public:
    explicit CDownloadRunner(CKorvalisControlApp& app, QObject* parent = nullptr);

    // Milliseconds between downloads; 0 switches them off.
    void SetInterval(qint64 msecs) { m_intervalMs = msecs; }
    void SetLineCheck(std::function<bool()> isFree) { m_lineFree = std::move(isFree); }
    // The first download after the first link up: a minute later, or one interval when that
    // is shorter. A service restarted more often than the interval still downloads.
    static constexpr int FirstDelayMs = 60000;
    // For the status file: interval, last download, next due.
    QJsonObject Status() const;
    // The measured-value file each download replaces, beside the history (data folder).
    static QString FileName(quint32 serial) { return QStringLiteral("RecorderDownload-%1.txt").arg(serial); }

public Q_SLOTS:
    void OnLinkUp();

Q_SIGNALS:
    void Changed();

private:
    void Download();
    // Lets the clients' frames through, then waits until no client holds the line.
    void WaitForLine();
    void Finish(bool ok, const QString& line);

    CKorvalisControlApp& m_app;
    QTimer m_timer;
    qint64 m_intervalMs = 0;
    std::function<bool()> m_lineFree;
    bool m_running = false;
    QDateTime m_last;
    bool m_lastOk = false;
    QString m_lastText;
};
