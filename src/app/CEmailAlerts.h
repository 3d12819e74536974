// SPDX-License-Identifier: GPL-3.0-or-later
// The alert e-mails: which rules are due (the 30-second cycle of the main window), what
// their text says (placeholders filled from the controller) and handing them to the
// mail program. The mail program is started with an argument vector, never through a
// shell, one message at a time, with a time limit; the outcome of the last send is kept
// for the e-mail page and written to the log.
#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "alerts/CEmail.h"
#include "alerts/CEmailSettings.h"

class CKorvalisControlApp;
class QProcess;
class QTimer;

class CEmailAlerts : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    struct SendResult {
        bool valid = false;  // false until the first send ended
        bool ok = false;
        QDateTime time;
        QString reason;  // why it failed; empty on success
        QString subject;
        QStringList recipients;
    };

    static constexpr int DefaultTimeLimitMs = 60000;
    static constexpr int MaxQueued = 16;
    static QString MessageFileName() { return QStringLiteral("MyMail.txt"); }
    static QString MailerName() { return QStringLiteral("korvalis-mailsend"); }

    CEmailAlerts(CKorvalisControlApp& app, CEmailSettings& settings, QObject* parent = nullptr);
    ~CEmailAlerts() override;

    // The local time the trigger tests see; tests inject their own.
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    QDateTime Now() const;
    static int MinuteOfDay(const QDateTime& t) { return t.time().hour() * 60 + t.time().minute(); }

    // One pass over the rules (the sheet's 30-second timer). Does nothing while not connected
    // or while another program (the service) holds the controller's sender lock; a pass held
    // off by a transfer runs as soon as it ends, and sends each time of day that passed
    // meanwhile once. Returns the number of e-mails handed on.
    int RunAlertCycle();
    static constexpr int CatchUpPollMs = 250;
    // The process id of the other program that sends this controller's alerts; 0 when this
    // program sends them.
    qint64 SendingService() const;
    // Parameter 1090 read and not 0. A failed read counts as no alarm.
    bool AlarmState();
    // Fills the placeholders of rule.text from the controller, reading each parameter at
    // most once; without a connection the text stays as it is, in simulation every
    // placeholder reads "---".
    void ComposeAlertText(CEmail& rule);
    // Hands one composed rule to the mail program (queued behind a send in progress).
    // False when it was refused at once; the reason is then the last result.
    bool SendAlertMail(const CEmail& rule);
    // The test button: compose a copy at once and send it, whatever its type.
    bool SendTestMail(const CEmail& rule);

    // Whether the rule editor may take the rule: at least one recipient, each one looking
    // like an address; subject and recipients without control characters; every field in
    // letters the settings file can hold; the text without control characters other than
    // line breaks and tabs. If not, reason says why.
    static bool CheckRule(const CEmail& rule, QString* reason = nullptr);
    // Whether the rule can be sent with these settings; if not, reason says why.
    static bool CheckSendable(const CEmailSettings& settings, const CEmail& rule, QString* reason = nullptr);
    // The mailer's argument vector. The password is not in it: it goes through the
    // program's standard input, so the process list never shows it.
    static QStringList MailerArguments(const CEmailSettings& settings, const CEmail& rule,
                                       const QString& messageFile);
    // The message text as the file holds it: line feeds as CR LF, ISO-8859-1.
    static QByteArray MessageFileBytes(const QString& text);
    // State text of sockets first..last (1-based) from a bit mask: "1X 2- ... ".
    static QString SocketStateText(uint32_t mask, int first, int last);
    // State text of the level channels: two, or three (bit 10 as the third) on models with
    // three level channels.
    static QString LevelStateText(uint32_t value, bool threeChannels);

    void SetMailerProgram(const QString& path) { m_mailerProgram = path; }
    QString MailerProgram() const;
    void SetTimeLimit(int msecs) { m_timeLimitMs = msecs; }
    // A send whose mail program failed is tried again up to attempts more times, delayMs
    // apart (none by default: a person at the e-mail page sees the failure).
    void SetRetries(int attempts, int delayMs)
    {
        m_retries = attempts;
        m_retryDelayMs = delayMs;
    }
    int RetriesPending() const { return m_retriesPending; }
    // Appended to every mailer command line; tests use it to trust their own certificate.
    void SetExtraArguments(const QStringList& args) { m_extraArguments = args; }
    // Where "MyMail.txt" goes; the data folder unless set.
    void SetMessageFolder(const QString& folder) { m_messageFolder = folder; }
    QString MessageFilePath() const;

    const SendResult& LastResult() const { return m_last; }
    bool IsBusy() const { return m_process != nullptr || !m_queue.isEmpty(); }
    // Runs the event loop until nothing is queued or running, at most msecs.
    bool WaitForIdle(int msecs);

Q_SIGNALS:
    // An e-mail was accepted for sending (composed, checked, queued).
    void MailQueued(const QString& subject);
    // A send ended (or was refused); LastResult() holds the outcome.
    void SendFinished(bool ok);
    // Another program started or stopped sending this controller's alerts.
    void SenderChanged();

private:
    struct Job {
        CEmail rule;
        CEmailSettings settings;  // server fields as they were when the e-mail was due
        int attempt = 0;
    };

    void StartNext();
    void Finish(bool ok, const QString& reason);
    void Record(const Job& job, bool ok, const QString& reason);
    void OnProcessFinished(int exitCode, int exitStatus);
    void OnProcessError(int error);
    void OnTimeout();

    CKorvalisControlApp& m_app;
    CEmailSettings& m_settings;
    Clock m_clock;
    QString m_mailerProgram;
    QString m_messageFolder;
    QStringList m_extraArguments;
    void CatchUpAfterTransfer();

    int m_timeLimitMs = DefaultTimeLimitMs;
    int m_retries = 0;
    int m_retryDelayMs = 60000;
    int m_retriesPending = 0;
    bool m_serviceSending = false;
    QList<Job> m_queue;
    Job m_current;
    QProcess* m_process = nullptr;
    QTimer* m_timer = nullptr;
    SendResult m_last;
    bool m_heldByTransfer = false;
};
