// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/CAlertState.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/CRegularFile.h"

namespace {
constexpr qint64 kMaxFileBytes = 1 << 20;

// Identical rules (the same e-mail twice) are told apart by their order.
template <typename F>
void ForEachKeyed(const CEmailArray& rules, F&& f)
{
    QHash<QString, int> seen;
    for (qsizetype i = 0; i < rules.size(); ++i) {
        const CEmail& r = rules[i];
        QCryptographicHash h(QCryptographicHash::Sha256);
        h.addData(QByteArray::number(r.type));
        h.addData(QByteArray::number(r.TimeMinutes()));
        h.addData(r.subject.toUtf8());
        h.addData(r.recipients.join(QLatin1Char(',')).toUtf8());
        h.addData(r.text.toUtf8());
        const QString base = QString::fromLatin1(h.result().toHex().left(24));
        f(i, base + QLatin1Char('.') + QString::number(seen[base]++));
    }
}
}  // namespace

QByteArray CAlertState::Serialize(const CEmailArray& rules, const QDateTime& now)
{
    QJsonArray list;
    ForEachKeyed(rules, [&](qsizetype i, const QString& key) {
        const CEmail& r = rules[i];
        list.append(QJsonObject{{QStringLiteral("key"), key},
                                {QStringLiteral("firstCheck"), r.firstCheck},
                                {QStringLiteral("lastMinute"), r.lastMinute},
                                {QStringLiteral("elapsed"), r.elapsedMinutes},
                                {QStringLiteral("alarmLatch"), r.alarmLatch}});
    });
    const QJsonObject root{{QStringLiteral("saved"), now.toString(Qt::ISODate)}, {QStringLiteral("rules"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

int CAlertState::Restore(CEmailArray& rules, const QByteArray& bytes)
{
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    if (!doc.isObject())
        return 0;
    QHash<QString, QJsonObject> saved;
    for (const QJsonValue& v : doc.object().value(QStringLiteral("rules")).toArray())
        if (v.isObject())
            saved.insert(v.toObject().value(QStringLiteral("key")).toString(), v.toObject());
    int restored = 0;
    ForEachKeyed(rules, [&](qsizetype i, const QString& key) {
        const auto it = saved.constFind(key);
        if (it == saved.constEnd())
            return;
        const int last = it->value(QStringLiteral("lastMinute")).toInt(-1);
        const int elapsed = it->value(QStringLiteral("elapsed")).toInt(-1);
        // Values out of range come from no program of ours: that rule starts afresh.
        if (last < 0 || last >= CEmail::MinutesPerDay || elapsed < 0 || elapsed > (1 << 30))
            return;
        CEmail& r = rules[i];
        r.firstCheck = it->value(QStringLiteral("firstCheck")).toBool(true);
        r.lastMinute = last;
        r.elapsedMinutes = elapsed;
        r.alarmLatch = it->value(QStringLiteral("alarmLatch")).toBool(false);
        ++restored;
    });
    return restored;
}

bool CAlertState::Save(const QString& path, const CEmailArray& rules, const QDateTime& now, QString* error)
{
    return CRegularFile::Replace(path, Serialize(rules, now), error);
}

int CAlertState::Load(const QString& path, CEmailArray& rules)
{
    QFile file(path);
    if (!CRegularFile::OpenForReading(file) || file.size() > kMaxFileBytes)
        return 0;
    return Restore(rules, file.read(kMaxFileBytes));
}
