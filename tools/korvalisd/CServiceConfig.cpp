// SPDX-License-Identifier: GPL-3.0-or-later
#include "CServiceConfig.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>
#include <cmath>

bool CServiceConfig::ParseEndpoint(const QString& text, QHostAddress& address, quint16& port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint p = text.mid(colon + 1).toUInt(&ok);
    if (!ok || p > 65535 || !address.setAddress(host))
        return false;
    port = static_cast<quint16>(p);
    return true;
}

bool CServiceConfig::ParseHours(const QString& text, double& hours)
{
    bool ok = false;
    const double h = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(h) || h < 0 || h > MaxDownloadHours)
        return false;
    hours = h;
    return true;
}

bool CServiceConfig::Read(const QString& path, QString& error)
{
    // A FIFO or device in the file's place would block the read.
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        error = QStringLiteral("cannot read the configuration file %1").arg(path);
        return false;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        error = QStringLiteral("%1 is no INI file").arg(path);
        return false;
    }
    if (file.contains(QStringLiteral("service/download-interval"))) {
        hasDownloadInterval = true;
        if (!ParseHours(file.value(QStringLiteral("service/download-interval")).toString(), downloadHours)) {
            error = QStringLiteral("%1: [service] download-interval takes hours from 0 to %2").arg(path).arg(MaxDownloadHours);
            return false;
        }
    }
    static const QRegularExpression name(QStringLiteral("^controller-(\\d{1,4})$"));
    QList<QPair<int, QString>> sections;
    for (const QString& group : file.childGroups()) {
        const QRegularExpressionMatch m = name.match(group);
        if (m.hasMatch())
            sections.append({m.captured(1).toInt(), group});
        else if (group != QLatin1String("service")) {
            error = QStringLiteral("%1: unknown section [%2] (controller-1, controller-2, ... and service)").arg(path, group);
            return false;
        }
    }
    if (sections.size() > MaxControllers) {
        error = QStringLiteral("%1: more than %2 controllers").arg(path).arg(MaxControllers);
        return false;
    }
    std::sort(sections.begin(), sections.end());
    int senders = 0;
    for (const auto& [number, section] : sections) {
        Controller c;
        c.section = section;
        file.beginGroup(section);
        c.connection = file.value(QStringLiteral("connection")).toString().trimmed();
        const QString serve = file.value(QStringLiteral("serve")).toString().trimmed();
        const QString alerts = file.value(QStringLiteral("alerts"), QStringLiteral("no")).toString().trimmed().toLower();
        file.endGroup();
        if (c.connection.isEmpty()) {
            error = QStringLiteral("%1: [%2] names no connection (connection = NAME)").arg(path, section);
            return false;
        }
        if (!ParseEndpoint(serve, c.address, c.port)) {
            error = QStringLiteral("%1: [%2] needs serve = ADDRESS:PORT, e.g. 127.0.0.1:10101").arg(path, section);
            return false;
        }
        if (alerts == QLatin1String("yes") || alerts == QLatin1String("true") || alerts == QLatin1String("1")) {
            c.alerts = true;
            ++senders;
        } else if (alerts != QLatin1String("no") && alerts != QLatin1String("false") && alerts != QLatin1String("0")) {
            error = QStringLiteral("%1: [%2] alerts takes yes or no").arg(path, section);
            return false;
        }
        controllers.append(c);
    }
    if (controllers.isEmpty()) {
        error = QStringLiteral("%1 names no controller ([controller-1] with connection and serve)").arg(path);
        return false;
    }
    // One program sends the alerts of EmailSettings.dat: one controller of the file.
    if (senders > 1) {
        error = QStringLiteral("%1: alerts = yes for more than one controller; the e-mail rules are sent for one").arg(path);
        return false;
    }
    // Two links to one controller would fight over its one line.
    for (qsizetype i = 1; i < controllers.size(); ++i)
        for (qsizetype j = 0; j < i; ++j)
            if (controllers[i].connection == controllers[j].connection) {
                error = QStringLiteral("%1: [%2] and [%3] name the same connection \"%4\"")
                            .arg(path, controllers[j].section, controllers[i].section, controllers[i].connection);
                return false;
            }
    if (senders == 0)
        controllers.first().alerts = true;
    return true;
}
