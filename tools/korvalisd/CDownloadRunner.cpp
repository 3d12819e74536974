// SPDX-License-Identifier: GPL-3.0-or-later
#include "CDownloadRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>

#include "ServiceLog.h"
#include "app/CKorvalisControlApp.h"
#include "app/CTimerStop.h"
#include "base/CUserInteraction.h"
#include "lang/CLanguage.h"
#include "recorder/CMeasDownload.h"
#include "recorder/CMeasDownloadUi.h"
#include "recorder/CMeasHistory.h"

namespace {
constexpr int kLineBusyRetryMs = 50;

// Nobody to ask: the download's messages go to the log, the questions take the answer that
// keeps the records (records an interrupted download left are added to the file first).
class CLoggedDownloadUi : public CUserInteraction, public CMeasDownloadUi {
public:
    explicit CLoggedDownloadUi(CUserInteraction* login) : m_login(login) {}

    int ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args = {}) override
    {
        QString text = TrArg(stringId, args);
        ShowText(text.isEmpty() ? QStringLiteral("message %1").arg(stringId) : text.remove(QLatin1Char('&')), icon, buttons);
        if (stringId == kRecoverQuestion)
            m_recovered = true;
        if (stringId == kRecoverQuestion || (stringId == kExistsQuestion && m_recovered))
            return IdYes;
        return stringId == kExistsQuestion ? IdNo : IdOk;
    }
    int ShowText(const QString& text, Icon icon, Buttons) override
    {
        if (icon == Icon::Stop || icon == Icon::Warning)
            qCWarning(lcService).noquote() << "recorder download:" << text.simplified();
        return IdOk;
    }
    bool Login(uint16_t expected) override { return m_login && m_login->Login(expected); }
    bool AskOptions(CSaveMeasOptions&) override { return true; }
    QString AskFileName() override { return {}; }

private:
    static constexpr int kExistsQuestion = 116;    // append (yes) or replace (no)
    static constexpr int kRecoverQuestion = 6205;  // add the records of an interrupted download
    CUserInteraction* m_login;
    bool m_recovered = false;
};
}  // namespace

CDownloadRunner::CDownloadRunner(CKorvalisControlApp& app, QObject* parent) : QObject(parent), m_app(app)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CDownloadRunner::Download);
}

void CDownloadRunner::OnLinkUp()
{
    if (m_intervalMs > 0 && !m_last.isValid() && !m_running && !m_timer.isActive())
        m_timer.start(static_cast<int>(std::min<qint64>(m_intervalMs, FirstDelayMs)));
}

void CDownloadRunner::WaitForLine()
{
    QCoreApplication::processEvents();
    // A client's hold ends with its answer or the share's hold limit, both events.
    while (m_lineFree && !m_lineFree())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void CDownloadRunner::Download()
{
    if (m_running)
        return;
    if (m_app.IsConnected() && m_lineFree && !m_lineFree()) {
        m_timer.start(kLineBusyRetryMs);
        return;
    }
    // The next one is timed from the end of this one: a download that outlasts the interval
    // is not started again from within its own waits.
    m_timer.stop();
    const quint32 serial = m_app.SerialNumber();
    if (!m_app.IsConnected()) {
        Finish(false, QStringLiteral("recorder download not done: the link is down"));
        return;
    }
    m_running = true;
    CTimerStop transfer(m_app);
    CMeasDownload::Access access = CMeasDownload::AccessOf(m_app);
    const auto read = access.read;
    const auto write = access.write;
    access.read = [this, read](int number) {
        WaitForLine();
        return read(number);
    };
    access.write = [this, write](int number, double value) {
        WaitForLine();
        return write(number, value);
    };
    CMeasDownload::State state;
    qint64 capacity = 0;
    int failed = 0;
    const uint16_t status = CMeasDownload::ReadState(access, state, capacity, failed);
    if (status != 0) {
        m_running = false;
        Finish(false, QStringLiteral("recorder download of controller %1 failed: reading parameter %2: %3")
                          .arg(serial)
                          .arg(failed)
                          .arg(m_app.TransferFailureText(status)));
        return;
    }
    CLoggedDownloadUi ui(m_app.UserInteraction());
    CMeasDownload download(m_app.Sensors(), access, &ui, &ui);
    const QString file = QDir(m_app.dataFolder).filePath(FileName(serial));
    CMeasDownload::Result r = download.Run(state, CSaveMeasOptions(), file, false);
    m_running = false;
    // What was read is gone from the controller: it goes into the history whatever became
    // of the file.
    QString history;
    bool historyOk = true;
    if (r.history.Count() > 0) {
        const CMeasHistory::Outcome h = CMeasHistory::AddToController(serial, r.history);
        if (!h.damagedCopy.isEmpty())
            qCWarning(lcService).noquote() << QStringLiteral("the history of controller %1 was damaged; it is kept as %2").arg(serial).arg(h.damagedCopy);
        historyOk = h.add.ok;
        history = h.add.ok ? QStringLiteral(", %1 added to the history, %2 already there").arg(h.add.added).arg(h.add.known)
                           : QStringLiteral(", not added to the history: %1").arg(h.error);
    }
    const bool ok = r.outcome == CMeasDownload::Outcome::Written && historyOk;
    Finish(ok, QStringLiteral("recorder download of controller %1%2: %3 records%4")
                   .arg(serial)
                   .arg(ok ? QString() : QStringLiteral(" failed"))
                   .arg(r.history.Count())
                   .arg(history));
}

void CDownloadRunner::Finish(bool ok, const QString& line)
{
    m_timer.start(static_cast<int>(m_intervalMs));
    m_last = QDateTime::currentDateTime();
    m_lastOk = ok;
    m_lastText = line;
    const QString next = QStringLiteral("; the next at %1").arg(m_last.addMSecs(m_intervalMs).toString(Qt::ISODate));
    if (ok)
        qCInfo(lcService).noquote() << line;
    else
        qCWarning(lcService).noquote() << line + next;
    Q_EMIT Changed();
}

QJsonObject CDownloadRunner::Status() const
{
    QJsonObject o{{QStringLiteral("interval-hours"), static_cast<double>(m_intervalMs) / 3600000.0}};
    if (m_last.isValid())
        o.insert(QStringLiteral("last"), QJsonObject{{QStringLiteral("time"), m_last.toString(Qt::ISODate)},
                                                     {QStringLiteral("ok"), m_lastOk},
                                                     {QStringLiteral("what"), m_lastText}});
    if (m_timer.isActive())
        o.insert(QStringLiteral("next"), QDateTime::currentDateTime().addMSecs(m_timer.remainingTime()).toString(Qt::ISODate));
    return o;
}
