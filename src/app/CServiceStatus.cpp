// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CServiceStatus.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cerrno>
#include <signal.h>
#include <unistd.h>

#include "alerts/CAlertSenderLock.h"
#include "base/CRegularFile.h"

namespace {
constexpr qint64 kMaxStatusBytes = 256 * 1024;

QString Field(const QJsonObject& o, const char* name)
{
    return o.value(QLatin1String(name)).toVariant().toString();
}
}  // namespace

QString CServiceStatus::OwnFolder()
{
    const QString systemd = qEnvironmentVariable("RUNTIME_DIRECTORY").section(QLatin1Char(':'), 0, 0);
    if (!systemd.isEmpty())
        return systemd;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/korvalisd");
    return QDir::tempPath() + QStringLiteral("/korvalisd-%1").arg(::getuid());
}

QStringList CServiceStatus::FoldersToRead(const QString& given)
{
    if (!given.isEmpty())
        return {given};
    QStringList folders{OwnFolder()};
    if (!folders.contains(CAlertSenderLock::SystemFolder()))
        folders << CAlertSenderLock::SystemFolder();
    return folders;
}

bool CServiceStatus::Write(const QString& path, const QJsonObject& status, QString* error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return CRegularFile::Replace(path, QJsonDocument(status).toJson(QJsonDocument::Indented), error);
}

QList<QJsonObject> CServiceStatus::ReadAll(const QStringList& folders)
{
    QList<QJsonObject> found;
    for (const QString& folder : folders) {
        const QStringList names = QDir(folder).entryList({QStringLiteral("status-*.json")}, QDir::Files, QDir::Name);
        for (const QString& name : names) {
            QFile file(QDir(folder).filePath(name));
            if (!CRegularFile::OpenForReading(file) || file.size() > kMaxStatusBytes)
                continue;
            const QJsonObject o = QJsonDocument::fromJson(file.read(kMaxStatusBytes)).object();
            const qint64 pid = o.value(QStringLiteral("pid")).toInteger();
            // A service that was killed leaves its file behind; it runs no more.
            if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM))
                continue;
            found << o;
        }
    }
    std::sort(found.begin(), found.end(), [](const QJsonObject& a, const QJsonObject& b) {
        return Field(a, "started") < Field(b, "started");
    });
    return found;
}

QString CServiceStatus::Format(const QJsonObject& s)
{
    QStringList lines;
    QString head = QStringLiteral("korvalisd (process %1, since %2) serves %3")
                       .arg(Field(s, "pid"), Field(s, "started"), Field(s, "serve"));
    if (!Field(s, "connection").isEmpty())
        head += QStringLiteral(" for \"%1\"").arg(Field(s, "connection"));
    lines << head;
    const QJsonObject link = s.value(QStringLiteral("link")).toObject();
    QString l = QStringLiteral("  link: %1: %2 since %3").arg(Field(link, "where"), Field(link, "state"), Field(link, "since"));
    if (Field(link, "state") == QLatin1String("up"))
        l += QStringLiteral(" - %1, firmware %2, serial number %3")
                 .arg(Field(link, "model"), Field(link, "firmware"), Field(link, "serial"));
    else if (!Field(link, "error").isEmpty())
        l += QStringLiteral(" - %1").arg(Field(link, "error"));
    lines << l;
    const QJsonArray clients = s.value(QStringLiteral("clients")).toArray();
    lines << QStringLiteral("  clients: %1, %2 transactions passed, %3 refused")
                 .arg(clients.size())
                 .arg(Field(s, "transactions"), Field(s, "refused"));
    for (const QJsonValue& v : clients) {
        const QJsonObject c = v.toObject();
        lines << QStringLiteral("    %1 since %2, %3 transactions").arg(Field(c, "peer"), Field(c, "since"), Field(c, "transactions"));
    }
    const QJsonObject alerts = s.value(QStringLiteral("alerts")).toObject();
    if (!alerts.value(QStringLiteral("sender")).toBool()) {
        lines << QStringLiteral("  alerts: not sent by this service - %1").arg(Field(alerts, "why"));
    } else {
        const QJsonObject last = alerts.value(QStringLiteral("last")).toObject();
        if (last.isEmpty())
            lines << QStringLiteral("  last alert: none sent yet");
        else
            lines << QStringLiteral("  last alert: %1 \"%2\" to %3: %4")
                         .arg(Field(last, "time"), Field(last, "subject"), Field(last, "to"),
                              last.value(QStringLiteral("ok")).toBool() ? QStringLiteral("sent")
                                                                        : QStringLiteral("failed, ") + Field(last, "reason"));
        const QJsonObject next = alerts.value(QStringLiteral("next")).toObject();
        lines << (next.isEmpty() ? QStringLiteral("  next due: nothing at a fixed time (%1 rules)").arg(Field(alerts, "rules"))
                                 : QStringLiteral("  next due: %1 \"%2\"").arg(Field(next, "time"), Field(next, "subject")));
        if (alerts.value(QStringLiteral("retries")).toInt() > 0)
            lines << QStringLiteral("  failed sends waiting to be tried again: %1").arg(Field(alerts, "retries"));
    }
    const QJsonObject download = s.value(QStringLiteral("download")).toObject();
    if (download.value(QStringLiteral("interval-hours")).toDouble() > 0) {
        const QJsonObject last = download.value(QStringLiteral("last")).toObject();
        lines << QStringLiteral("  recorder download: every %1 h; last: %2; next due: %3")
                     .arg(Field(download, "interval-hours"),
                          last.isEmpty() ? QStringLiteral("none yet") : Field(last, "time") + QStringLiteral(", ") + Field(last, "what"),
                          Field(download, "next"));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString CServiceStatus::Report(const QString& given, bool json, bool& running)
{
    const QList<QJsonObject> all = ReadAll(FoldersToRead(given));
    running = !all.isEmpty();
    if (json) {
        QJsonArray array;
        for (const QJsonObject& o : all)
            array.append(o);
        return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
    }
    if (all.isEmpty())
        return QStringLiteral("no korvalisd is running\n");
    QString text;
    for (const QJsonObject& o : all)
        text += Format(o);
    return text;
}
