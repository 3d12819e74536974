// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CEmailAlerts.h"

#include "base/CAppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>
#include <sys/stat.h>
#include <utility>

#include "app/CKorvalisControlApp.h"
#include "app/CTimerStop.h"
#include "alerts/CAlertSenderLock.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "link/CSWMBus.h"

Q_LOGGING_CATEGORY(lcMail, "korvalis.mail")

namespace {

constexpr int kAlarmParameter = 1090;
constexpr int kSocketParameter = 1188;
constexpr int kLevelParameter = 1070;
constexpr int kSensorTextParameter = 1228;
const QString kNoValue = QStringLiteral("---");

QString SensorPlaceholder(int i)
{
    return QStringLiteral("[SENSOR%1]").arg(i + 1);
}

bool LooksLikeServer(const QString& server)
{
    static const QRegularExpression re(
        QStringLiteral("^(?:[A-Za-z0-9_][A-Za-z0-9_.-]*|\\[[0-9A-Fa-f:.]+\\])$"));
    return server.size() <= 253 && re.match(server).hasMatch();
}

// The last non-empty line a failed mail program wrote, kept short for the status line.
QString LastLine(const QByteArray& output)
{
    const QList<QByteArray> lines = output.split('\n');
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        QString line = QString::fromLocal8Bit(lines[i]).trimmed();
        const QString prefix = CEmailAlerts::MailerName() + QStringLiteral(": ");
        if (line.startsWith(prefix))
            line.remove(0, prefix.size());
        if (!line.isEmpty())
            return line.left(300);
    }
    return {};
}

}  // namespace

CEmailAlerts::CEmailAlerts(CKorvalisControlApp& app, CEmailSettings& settings, QObject* parent)
    : QObject(parent), m_app(app), m_settings(settings)
{
}

CEmailAlerts::~CEmailAlerts()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

QDateTime CEmailAlerts::Now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString CEmailAlerts::MailerProgram() const
{
    if (!m_mailerProgram.isEmpty())
        return m_mailerProgram;
    return CAppPaths::HelperProgram(MailerName(), QCoreApplication::applicationDirPath());
}

QString CEmailAlerts::MessageFilePath() const
{
    const QString folder = m_messageFolder.isEmpty() ? m_app.dataFolder : m_messageFolder;
    return QDir(folder).filePath(MessageFileName());
}

// --- the cycle --------------------------------------------------------------------------

bool CEmailAlerts::AlarmState()
{
    return m_app.ReadParameter(kAlarmParameter) == CSWMBus::Ok && m_app.GetLastValue() != 0.0;
}

qint64 CEmailAlerts::SendingService() const
{
    if (!m_app.IsConnected() || m_app.simulationMode)
        return 0;
    return CAlertSenderLock::Holder(CAlertSenderLock::FoldersToCheck(m_app.dataFolder), m_app.SerialNumber());
}

namespace {
// Whether the time of day t lies in the minutes after last up to and including m.
bool PassedBetween(int last, int m, int t)
{
    const auto after = [](int from, int to) { return (to - from + CEmail::MinutesPerDay) % CEmail::MinutesPerDay; };
    return t >= 0 && after(last, t) != 0 && after(last, t) <= after(last, m);
}
}  // namespace

void CEmailAlerts::CatchUpAfterTransfer()
{
    QTimer::singleShot(CatchUpPollMs, this, [this] {
        if (!m_heldByTransfer) return;
        if (m_app.IsTransferInProgress())
            CatchUpAfterTransfer();
        else
            RunAlertCycle();
    });
}

int CEmailAlerts::RunAlertCycle()
{
    if (!m_app.IsConnected()) {
        m_heldByTransfer = false;
        return 0;
    }
    const qint64 service = SendingService();
    if ((service != 0) != m_serviceSending) {
        m_serviceSending = service != 0;
        if (m_serviceSending)
            qCInfo(lcMail).noquote() << QStringLiteral("process %1 sends the alerts of controller %2; this program's "
                                                       "alert cycle stays off")
                                            .arg(service)
                                            .arg(m_app.SerialNumber());
        else
            qCInfo(lcMail).noquote() << QStringLiteral("this program sends the alerts of controller %1 again")
                                            .arg(m_app.SerialNumber());
        Q_EMIT SenderChanged();
    }
    if (m_serviceSending) {
        // What falls due meanwhile is the service's to send: a hold from before it took over
        // must not send it again once this program sends again.
        m_heldByTransfer = false;
        return 0;
    }
    // A bulk write, a firmware transfer or a download can outlast a rule's minute: what falls
    // due meanwhile is sent as soon as the transfer ends, not lost for the day.
    if (m_app.IsTransferInProgress()) {
        if (!m_heldByTransfer) {
            m_heldByTransfer = true;
            CatchUpAfterTransfer();
        }
        return 0;
    }
    const bool catchUp = std::exchange(m_heldByTransfer, false);
    CTimerStop timerStop(m_app);
    const int minute = MinuteOfDay(Now());
    // The alarm is read once per cycle, and only when an alarm rule needs it, so every
    // alarm rule sees the same state.
    int alarm = -1;
    int sent = 0;
    CEmailArray& rules = m_settings.rules;
    for (qsizetype i = 0; i < rules.size(); ++i) {
        CEmail rule = rules[i];
        bool due = false;
        switch (rule.type) {
        case CEmail::AtTime:
        case CEmail::Interval: {
            const bool checkedBefore = !rule.firstCheck;
            const int last = rule.lastMinute;
            due = rule.IsDue(minute);
            // Intervals add up the minutes missed by themselves; a time of day needs the window.
            if (!due && catchUp && checkedBefore && rule.type == CEmail::AtTime)
                due = PassedBetween(last, minute, rule.TimeMinutes());
            break;
        }
        case CEmail::OnAlarm:
        case CEmail::OnAlarmRepeated: {
            if (alarm < 0)
                alarm = AlarmState() ? 1 : 0;
            if (!alarm) {
                rule.alarmLatch = false;
            } else if (!rule.alarmLatch) {
                rule.alarmLatch = true;
                due = true;
                // The repeat counts from the onset, not from a minute seen in an earlier alarm.
                if (rule.type == CEmail::OnAlarmRepeated)
                    rule.RestartInterval(minute);
            } else if (rule.type == CEmail::OnAlarmRepeated) {
                due = rule.IsDue(minute);
            }
            break;
        }
        default:
            break;
        }
        // Composing talks to the controller; the list may not change meanwhile, but keep
        // the index check honest anyway.
        if (i < rules.size())
            rules[i] = rule;
        if (due) {
            CEmail mail = rule;
            ComposeAlertText(mail);
            if (SendAlertMail(mail))
                ++sent;
        }
    }
    return sent;
}

// --- composing ----------------------------------------------------------------------------

QString CEmailAlerts::SocketStateText(uint32_t mask, int first, int last)
{
    QString s;
    for (int n = first; n <= last; ++n) {
        s += QString::number(n);
        s += (n >= 1 && n <= 32 && (mask >> (n - 1)) & 1u) ? QLatin1Char('X') : QLatin1Char('-');
        s += QLatin1Char(' ');
    }
    return s;
}

QString CEmailAlerts::LevelStateText(uint32_t value, bool threeChannels)
{
    uint32_t mask = value & 0x3u;
    if (threeChannels && (value & (1u << 10)))
        mask |= 0x4u;
    return SocketStateText(mask, 1, threeChannels ? 3 : 2);
}

void CEmailAlerts::ComposeAlertText(CEmail& rule)
{
    if (!m_app.IsConnected())
        return;
    QString& text = rule.text;
    static const QString kSockets[3] = {QStringLiteral("[SOCKETS1-8]"), QStringLiteral("[SOCKETS9-16]"),
                                        QStringLiteral("[SOCKETS17-24]")};
    static const QString kAlarm = QStringLiteral("[ALARM]");
    static const QString kLevel = QStringLiteral("[LEVEL]");

    if (m_app.simulationMode) {
        // No engine: there is nothing true to report.
        for (int i = 0; i < 8; ++i)
            text.replace(SensorPlaceholder(i), kNoValue);
        for (const QString& p : kSockets)
            text.replace(p, kNoValue);
        text.replace(kAlarm, kNoValue);
        text.replace(kLevel, kNoValue);
        return;
    }

    // Once the link stops answering, further reads would only add timeouts.
    bool linkLost = false;
    auto read = [&](int number) -> bool {
        if (linkLost)
            return false;
        const uint16_t status = m_app.ReadParameter(number);
        if (status == CSWMBus::NoAnswer || status == CSWMBus::NoChannel)
            linkLost = true;
        return status == CSWMBus::Ok;
    };

    for (int i = 0; i < 8; ++i) {
        const QString placeholder = SensorPlaceholder(i);
        if (!text.contains(placeholder))
            continue;
        CSensor& sensor = m_app.SensorInput(i);
        QString value = kNoValue;
        if (sensor.type != 0 && read(kSensorTextParameter + i)) {
            const QByteArray bytes = m_app.GetLastText();
            const qsizetype nul = bytes.indexOf('\0');
            sensor.userName = QString::fromLatin1(nul < 0 ? bytes : bytes.left(nul));
            value = sensor.userName;
        }
        text.replace(placeholder, value);
    }
    if (text.contains(kAlarm)) {
        const bool alarm = read(kAlarmParameter) && m_app.GetLastValue() != 0.0;
        text.replace(kAlarm, Tr(alarm ? 315 : 316));
    }
    const bool wantSockets = text.contains(kSockets[0]) || text.contains(kSockets[1]) || text.contains(kSockets[2]);
    if (wantSockets) {
        // A failed read leaves these and the level placeholder in the text.
        if (!read(kSocketParameter))
            return;
        const uint32_t mask = static_cast<uint32_t>(static_cast<int64_t>(m_app.GetLastValue()));
        for (int g = 0; g < 3; ++g)
            text.replace(kSockets[g], SocketStateText(mask, 8 * g + 1, 8 * g + 8));
    }
    if (text.contains(kLevel)) {
        if (!read(kLevelParameter))
            return;
        const uint32_t value = static_cast<uint32_t>(static_cast<int64_t>(m_app.GetLastValue()));
        const bool three = m_app.Model() && m_app.Model()->levelChannels == 3;
        text.replace(kLevel, LevelStateText(value, three));
    }
}

// --- sending --------------------------------------------------------------------------------

namespace {

bool Refuse(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return false;
}

// What sending and storing both demand of the recipients.
bool CheckRecipients(const CEmail& rule, QString* reason)
{
    if (rule.recipients.isEmpty())
        return Refuse(reason, Tr(42300));
    for (const QString& r : rule.recipients)
        if (!CEmail::LooksLikeAddress(r))
            return Refuse(reason, TrArg(42301, {r}));
    return true;
}

}  // namespace

bool CEmailAlerts::CheckRule(const CEmail& rule, QString* reason)
{
    if (!CheckRecipients(rule, reason))
        return false;
    for (const QString& r : rule.recipients)
        if (!CEmail::IsStorable(r))
            return Refuse(reason, TrArg(42301, {r}));
    if (!CEmail::IsSafeField(rule.subject))
        return Refuse(reason, Tr(42304));
    if (!CEmail::IsStorable(rule.subject))
        return Refuse(reason, Tr(42345));
    if (!CEmail::IsStorable(rule.text))
        return Refuse(reason, Tr(42344));
    for (const QChar c : rule.text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\t')
            continue;
        if (!CEmail::IsSafeField(QString(c)))
            return Refuse(reason, Tr(42346));
    }
    return true;
}

bool CEmailAlerts::CheckSendable(const CEmailSettings& s, const CEmail& rule, QString* reason)
{
    auto refuse = [reason](const QString& why) { return Refuse(reason, why); };
    if (!CheckRecipients(rule, reason))
        return false;
    if (!CEmail::LooksLikeAddress(s.senderAddress))
        return refuse(TrArg(42302, {s.senderAddress}));
    if (s.smtpServer.isEmpty())
        return refuse(Tr(42303));
    if (!LooksLikeServer(s.smtpServer))
        return refuse(TrArg(42317, {s.smtpServer}));
    if (s.port == 0)
        return refuse(Tr(42318));
    if (!CEmail::IsSafeField(rule.subject))
        return refuse(Tr(42304));
    if (s.authentication && (!CEmail::IsSafeField(s.userName) || !CEmail::IsSafeField(s.password)))
        return refuse(Tr(42305));
    return true;
}

QStringList CEmailAlerts::MailerArguments(const CEmailSettings& s, const CEmail& rule,
                                          const QString& messageFile)
{
    QStringList args = {QStringLiteral("-v"), QStringLiteral("-starttls"), QStringLiteral("+cc"),
                        QStringLiteral("+bc"), QStringLiteral("-q"),
                        QStringLiteral("-f"), s.senderAddress,
                        QStringLiteral("-smtp"), s.smtpServer,
                        QStringLiteral("-port"), QString::number(s.port),
                        QStringLiteral("-t"), rule.recipients.join(QLatin1Char(',')),
                        QStringLiteral("-sub"), rule.subject,
                        QStringLiteral("-M"), QString(),
                        QStringLiteral("-attach"), messageFile};
    if (s.authentication)
        args << QStringLiteral("-auth") << QStringLiteral("-user") << s.userName
             << QStringLiteral("-pass-stdin");
    return args;
}

QByteArray CEmailAlerts::MessageFileBytes(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.toLatin1();
}

bool CEmailAlerts::SendTestMail(const CEmail& rule)
{
    CEmail mail = rule;
    ComposeAlertText(mail);
    return SendAlertMail(mail);
}

bool CEmailAlerts::SendAlertMail(const CEmail& rule)
{
    Job job;
    job.rule = rule;
    job.settings.smtpServer = m_settings.smtpServer;
    job.settings.password = m_settings.password;
    job.settings.senderAddress = m_settings.senderAddress;
    job.settings.userName = m_settings.userName;
    job.settings.authentication = m_settings.authentication;
    job.settings.port = m_settings.port;
    QString problem;
    if (!CheckSendable(job.settings, rule, &problem)) {
        Record(job, false, problem);
        return false;
    }
    if (m_queue.size() >= MaxQueued) {
        Record(job, false, Tr(42310));
        return false;
    }
    m_queue.append(job);
    Q_EMIT MailQueued(rule.subject);
    StartNext();
    return true;
}

void CEmailAlerts::StartNext()
{
    while (!m_process && !m_queue.isEmpty()) {
        m_current = m_queue.takeFirst();
        const QString path = MessageFilePath();
        QSaveFile file(path);
        const QByteArray bytes = MessageFileBytes(m_current.rule.text);
        bool written = file.open(QIODevice::WriteOnly);
        if (written)
            ::fchmod(file.handle(), S_IRUSR | S_IWUSR);
        written = written && file.write(bytes) == bytes.size() && file.commit();
        if (!written) {
            Record(m_current, false, TrArg(42306, {path, file.errorString()}));
            continue;
        }
        const QString program = MailerProgram();
        if (!QFile::exists(program)) {
            Record(m_current, false, TrArg(42307, {program, QStringLiteral("not found")}));
            continue;
        }
        m_process = new QProcess(this);
        m_process->setProgram(program);
        m_process->setArguments(MailerArguments(m_current.settings, m_current.rule, path) + m_extraArguments);
        m_process->setProcessChannelMode(QProcess::SeparateChannels);
        m_process->setStandardOutputFile(QProcess::nullDevice());
        connect(m_process, &QProcess::finished, this,
                [this](int code, QProcess::ExitStatus status) { OnProcessFinished(code, status); });
        connect(m_process, &QProcess::errorOccurred, this,
                [this](QProcess::ProcessError error) { OnProcessError(error); });
        if (!m_timer) {
            m_timer = new QTimer(this);
            m_timer->setSingleShot(true);
            connect(m_timer, &QTimer::timeout, this, &CEmailAlerts::OnTimeout);
        }
        m_timer->start(m_timeLimitMs);
        m_process->start(QIODevice::ReadWrite);
        if (m_process && m_process->state() != QProcess::NotRunning) {
            if (m_current.settings.authentication)
                m_process->write(m_current.settings.password.toUtf8() + '\n');
            m_process->closeWriteChannel();
        }
        return;
    }
}

void CEmailAlerts::Finish(bool ok, const QString& reason)
{
    if (m_timer)
        m_timer->stop();
    if (m_process) {
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
    }
    Record(m_current, ok, reason);
    if (!ok && m_current.attempt < m_retries) {
        Job again = m_current;
        ++again.attempt;
        ++m_retriesPending;
        qCInfo(lcMail).noquote() << "trying again in" << m_retryDelayMs / 1000 << "s (attempt" << again.attempt + 1
                                 << "of" << m_retries + 1 << ")";
        QTimer::singleShot(m_retryDelayMs, this, [this, again] {
            --m_retriesPending;
            m_queue.append(again);
            StartNext();
        });
    }
    // The next one starts from the event loop, not from inside the finished signal.
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, &CEmailAlerts::StartNext);
}

void CEmailAlerts::OnProcessFinished(int exitCode, int exitStatus)
{
    if (!m_process)
        return;
    const QByteArray err = m_process->readAllStandardError();
    if (exitStatus == QProcess::NormalExit && exitCode == 0) {
        Finish(true, {});
        return;
    }
    QString reason = LastLine(err);
    if (reason.isEmpty())
        reason = TrArg(42309, {QString::number(exitCode)});
    Finish(false, reason);
}

void CEmailAlerts::OnProcessError(int error)
{
    if (!m_process || error != QProcess::FailedToStart)
        return;  // crashes and the like arrive through finished()
    Finish(false, TrArg(42307, {m_process->program(), m_process->errorString()}));
}

void CEmailAlerts::OnTimeout()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished(5000);
    Finish(false, TrArg(42308, {QString::number(m_timeLimitMs / 1000)}));
}

void CEmailAlerts::Record(const Job& job, bool ok, const QString& reason)
{
    m_last.valid = true;
    m_last.ok = ok;
    m_last.time = Now();
    m_last.reason = reason;
    m_last.subject = job.rule.subject;
    m_last.recipients = job.rule.recipients;
    const QString to = job.rule.recipients.join(QLatin1Char(','));
    if (ok)
        qCInfo(lcMail).noquote() << "e-mail sent to" << to << "subject" << job.rule.subject;
    else
        qCWarning(lcMail).noquote() << "e-mail to" << to << "not sent:" << reason;
    Q_EMIT SendFinished(ok);
}

bool CEmailAlerts::WaitForIdle(int msecs)
{
    QElapsedTimer clock;
    clock.start();
    while (IsBusy()) {
        const qint64 left = msecs - clock.elapsed();
        if (left <= 0)
            return false;
        QEventLoop loop;
        connect(this, &CEmailAlerts::SendFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(static_cast<int>(std::min<qint64>(left, 200)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}
