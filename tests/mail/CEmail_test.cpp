// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>

#include "alerts/CEmail.h"

namespace {
CEmail Rule(int type, int minutes)
{
    CEmail r;
    r.type = type;
    r.SetTimeMinutes(minutes);
    return r;
}

// Runs the trigger test twice per minute (as the 30-second cycle does) from minute `from`
// for `count` minutes, wrapping at midnight; returns the minutes at which it was due.
QList<int> DueMinutes(CEmail& rule, int from, int count)
{
    QList<int> due;
    for (int k = 0; k < count; ++k) {
        const int m = (from + k) % CEmail::MinutesPerDay;
        for (int half = 0; half < 2; ++half)
            if (rule.IsDue(m))
                due.append(m);
    }
    return due;
}
}  // namespace

class CEmailTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void intervalOfZeroIsDueEveryNewMinute()
    {
        CEmail r = Rule(CEmail::Interval, 0);
        QCOMPARE(DueMinutes(r, 600, 4), (QList<int>{601, 602, 603}));
    }

    void intervalCountsFromTheFirstCheck()
    {
        CEmail r = Rule(CEmail::Interval, 90);
        QCOMPARE(DueMinutes(r, 600, 200), (QList<int>{690, 780}));
    }

    void intervalRunsAcrossMidnight()
    {
        CEmail r = Rule(CEmail::Interval, 120);
        QCOMPARE(DueMinutes(r, 23 * 60 + 30, 130), (QList<int>{90}));
    }

    void intervalCountsMinutesSkippedWhileAsleep()
    {
        CEmail r = Rule(CEmail::Interval, 60);
        QVERIFY(!r.IsDue(100));
        QVERIFY(!r.IsDue(130));
        QVERIFY(r.IsDue(170));  // 70 minutes since the first check
        QVERIFY(!r.IsDue(171));
    }

    void timeOfDayFiresOncePerMatchingMinute()
    {
        CEmail r = Rule(CEmail::AtTime, 12 * 60);
        QCOMPARE(DueMinutes(r, 11 * 60 + 58, 1440), (QList<int>{720}));
        // Not on the very first check, even at the matching minute.
        CEmail first = Rule(CEmail::AtTime, 12 * 60);
        QCOMPARE(DueMinutes(first, 720, 2), QList<int>{});
    }

    void invalidTimeNeverFires()
    {
        CEmail r = Rule(CEmail::Interval, 0);
        r.timeStatus = CEmail::Invalid;
        QCOMPARE(DueMinutes(r, 0, 10), QList<int>{});
        CEmail t = Rule(CEmail::AtTime, 5);
        t.timeStatus = CEmail::Null;
        QCOMPARE(DueMinutes(t, 0, 10), QList<int>{});
    }

    void otherTypesAreNeverDueByTime()
    {
        for (int type : {int(CEmail::OnAlarm), int(CEmail::TestOnly), 7, -1}) {
            CEmail r = Rule(type, 0);
            QCOMPARE(DueMinutes(r, 0, 5), QList<int>{});
        }
    }

    void timeValueKeepsTheDateAndRoundsToTheMinute()
    {
        CEmail r;
        QCOMPARE(r.TimeMinutes(), 720);  // default 12:00
        r.time = 45000.0 + 13.0 / 24.0 + 29.6 / 1440.0;
        QCOMPARE(r.TimeMinutes(), 13 * 60 + 29);
        r.SetTimeMinutes(90);
        QCOMPARE(r.time, 45000.0 + 90.0 / 1440.0);
        r.time = -1.25;  // 29 December 1899, 06:00
        QCOMPARE(r.TimeMinutes(), 360);
        r.time = qQNaN();
        QCOMPARE(r.TimeMinutes(), -1);
    }

    void recipientsAreCutAtCommasAndSemicolons()
    {
        QCOMPARE(CEmail::ParseRecipients(" first@a.example ;second@b.example,,third@c.example;"),
                 (QStringList{"first@a.example", "second@b.example", "third@c.example"}));
        QCOMPARE(CEmail::ParseRecipients(";,a@b , c@ d"), (QStringList{"a@b", "c@d"}));
        QCOMPARE(CEmail::ParseRecipients("  "), QStringList{});
    }

    void addressesMustLookLikeMailboxes()
    {
        for (const char* good : {"a@b", "tank.alarm+x@mail.example.org", "x_y@localhost"})
            QVERIFY2(CEmail::LooksLikeAddress(good), good);
        for (const char* bad : {"", "a", "@b", "a@", "a@@b", "a@b@c", "-f@x", "a b@c", "a@b\r\nRCPT TO:<x>",
                                "a\"@b", "<a@b>", "a@b;c@d", "a@.b", "a@b..c", "a@b.", "a@b\tc"})
            QVERIFY2(!CEmail::LooksLikeAddress(QString::fromLatin1(bad)), bad);
    }

    void fieldsWithControlCharactersAreUnsafe()
    {
        QVERIFY(CEmail::IsSafeField(QStringLiteral("\"; touch /tmp/x; \" $(id) | & ` \u00e4")));
        for (const QString& bad : {QStringLiteral("a\rb"), QStringLiteral("a\nb"), QStringLiteral("a\tb"),
                                   QStringLiteral("a\x1b"), QString(QChar(0x85)), QString(QChar(0x2028))})
            QVERIFY(!CEmail::IsSafeField(bad));
    }

    void listShowsTextOnOneLine()
    {
        CEmail r;
        r.recipients = QStringList{"a@b", "c@d"};
        r.text = "one\r\ntwo\tthree";
        QCOMPARE(r.RecipientsText(), QStringLiteral("a@b,c@d"));
        QCOMPARE(r.TextOneLine(), QStringLiteral("one  two three"));
    }
};

QTEST_GUILESS_MAIN(CEmailTest)
#include "CEmail_test.moc"
