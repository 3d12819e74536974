// SPDX-License-Identifier: GPL-3.0-or-later
// The rules' runtime state across a restart, and when a rule is next due.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "alerts/CAlertState.h"

namespace {
CEmail Rule(const QString& subject, int type, int minutes)
{
    CEmail r;
    r.recipients = {QStringLiteral("keeper@example.org")};
    r.subject = subject;
    r.type = type;
    r.SetTimeMinutes(minutes);
    return r;
}
}  // namespace

class CAlertStateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void restartKeepsWhatWasSent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(CAlertState::FileName(42));
        CEmailArray before;
        before << Rule("Alarm", CEmail::OnAlarm, 0) << Rule("Noon", CEmail::AtTime, 720)
               << Rule("Every 2 h", CEmail::Interval, 120) << Rule("Every 2 h", CEmail::Interval, 120);
        before[0].alarmLatch = true;  // the alarm was reported
        QVERIFY(!before[1].IsDue(719));
        QVERIFY(before[1].IsDue(720));  // sent at noon
        QVERIFY(!before[2].IsDue(600));
        QVERIFY(!before[2].IsDue(650));  // 50 minutes counted
        QVERIFY(!before[3].IsDue(630));  // its twin started later
        QVERIFY(CAlertState::Save(path, before, QDateTime::currentDateTime()));

        // The program restarts within the same minute, with one rule edited meanwhile.
        CEmailArray after;
        after << Rule("Alarm", CEmail::OnAlarm, 0) << Rule("Noon", CEmail::AtTime, 720)
              << Rule("Every 2 h", CEmail::Interval, 120) << Rule("Every 3 h", CEmail::Interval, 180)
              << Rule("Every 2 h", CEmail::Interval, 120);
        QCOMPARE(CAlertState::Load(path, after), 4);
        QVERIFY(after[0].alarmLatch);
        QVERIFY2(!after[1].IsDue(720), "the noon e-mail went out before the restart");
        QVERIFY(!after[2].firstCheck);
        QCOMPARE(after[2].MinutesUntilDue(680), 40);
        QVERIFY(after[3].firstCheck);  // edited: starts afresh
        // Two equal rules are told apart by order: the second takes the second saved entry.
        QCOMPARE(after[4].lastMinute, 630);
        QCOMPARE(after[2].lastMinute, 650);
    }

    void damagedFilesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not JSON") << QByteArray("\x01\x02garbage");
        QTest::newRow("minute out of range") << QByteArray(R"({"rules":[{"key":"%1","lastMinute":5000,"elapsed":0}]})");
        QTest::newRow("negative counter") << QByteArray(R"({"rules":[{"key":"%1","lastMinute":5,"elapsed":-3}]})");
    }
    void damagedFilesChangeNothing()
    {
        QFETCH(QByteArray, bytes);
        CEmailArray rules;
        rules << Rule("Noon", CEmail::AtTime, 720);
        // The real key of the rule, so only the values decide.
        const QByteArray saved = CAlertState::Serialize(rules, QDateTime::currentDateTime());
        const qsizetype at = saved.indexOf("\"key\": \"") + 8;
        const QByteArray key = saved.mid(at, saved.indexOf('"', at) - at);
        bytes.replace("%1", key);
        QCOMPARE(CAlertState::Restore(rules, bytes), 0);
        QVERIFY(rules[0].firstCheck);
        QCOMPARE(rules[0].lastMinute, 0);
    }

    void minutesUntilDue_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("time");
        QTest::addColumn<QList<int>>("checks");  // minutes the trigger test saw, in order
        QTest::addColumn<int>("now");
        QTest::addColumn<int>("expected");
        QTest::newRow("time of day later today") << int(CEmail::AtTime) << 720 << QList<int>{600} << 600 << 120;
        QTest::newRow("time of day passed: tomorrow") << int(CEmail::AtTime) << 60 << QList<int>{600} << 600 << 900;
        QTest::newRow("sent this minute: tomorrow") << int(CEmail::AtTime) << 720 << QList<int>{719, 720} << 720 << 1440;
        QTest::newRow("interval before its first check") << int(CEmail::Interval) << 90 << QList<int>{} << 600 << 90;
        QTest::newRow("interval across midnight") << int(CEmail::Interval) << 120 << QList<int>{1410} << 20 << 70;
        QTest::newRow("alarm rule: no clock") << int(CEmail::OnAlarm) << 0 << QList<int>{} << 0 << -1;
    }
    void minutesUntilDue()
    {
        QFETCH(int, type);
        QFETCH(int, time);
        QFETCH(QList<int>, checks);
        QFETCH(int, now);
        QFETCH(int, expected);
        CEmail r = Rule("r", type, time);
        for (int m : checks)
            r.IsDue(m);
        QCOMPARE(r.MinutesUntilDue(now), expected);
    }
};

QTEST_GUILESS_MAIN(CAlertStateTest)
#include "CAlertState_test.moc"
