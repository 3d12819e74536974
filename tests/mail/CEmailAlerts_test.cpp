// SPDX-License-Identifier: GPL-3.0-or-later
// The alert cycle and the composition of alert texts against the device model.
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "alerts/CAlertSenderLock.h"
#include "app/CEmailAlerts.h"
#include "app/CKorvalisControlApp.h"
#include "app/CTimerStop.h"
#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "support/CScriptedUserInteraction.h"

namespace {
using Access = CDeviceModel::Access;

CDeviceModel::Options Opts(int product)
{
    CDeviceModel::Options o;
    o.productCode = product;
    o.sensors = {1, 0, 2, 0, 0, 0, 0, 0};
    return o;
}

struct Rig {
    explicit Rig(int product = 4) : model(Opts(product))
    {
        app.SetUserInteraction(&ui);
        app.SetFramePause(0);
        app.LoadLanguage(CLanguage::English);
        app.SetChannelFactory([this](const CConnection&) { return std::make_unique<CMemoryChannel>(model); });
        connection.replyTimeout = 50;
        app.dataFolder = dir.path();
        CEmailSettings& s = app.EmailSettings();
        s.senderAddress = "tank@example.org";
        s.smtpServer = "127.0.0.1";
        // Nothing is really sent here: the cycle's decisions are what is tested.
        app.EmailAlerts().SetMailerProgram(dir.filePath("no-mailer"));
        app.EmailAlerts().SetClock([this] { return now; });
        CBusDevice& c = model.Controller();
        c.SetText(1228, "Reef 25.3");
        c.SetText(1230, "pH tank");
    }
    bool Connect()
    {
        const bool ok = app.Connect(&connection, false);
        model.ClearLog();
        return ok;
    }
    QList<int> Reads() const
    {
        QList<int> n;
        for (const Access& a : model.Log())
            if (a.kind == Access::Read)
                n << a.number;
        return n;
    }
    void At(int hour, int minute, int second = 0) { now = QDateTime(QDate(2024, 3, 1), QTime(hour, minute, second)); }
    // One alert cycle; the subjects it handed on, in order.
    QStringList Cycle()
    {
        QSignalSpy queued(&app.EmailAlerts(), &CEmailAlerts::MailQueued);
        app.EmailAlerts().RunAlertCycle();
        QStringList subjects;
        for (const QList<QVariant>& args : queued)
            subjects << args.at(0).toString();
        return subjects;
    }
    void Add(const QString& subject, int type, int minutes)
    {
        CEmail r;
        r.recipients = {subject.toLower() + "@example.org"};
        r.subject = subject;
        r.type = type;
        r.SetTimeMinutes(minutes);
        app.EmailSettings().rules.append(r);
    }

    QTemporaryDir dir;
    CDeviceModel model;
    CScriptedUserInteraction ui;
    CKorvalisControlApp app;
    CConnection connection;
    QDateTime now;
};
}  // namespace

class CEmailAlertsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("korvalis.mail.warning=false"); }

    void everyPlaceholderIsFilledReadingEachParameterOnce()
    {
        Rig rig(4);  // three level channels
        QVERIFY(rig.Connect());
        CBusDevice& c = rig.model.Controller();
        c.SetValue(1090, 3);
        c.SetValue(1188, 0x0009 | (1 << 8) | (1 << 23));
        c.SetValue(1070, 0x1 | (1 << 10));
        CEmail mail;
        mail.text = "[SENSOR1]|[SENSOR2]|[SENSOR3]|[SENSOR1]|[ALARM]|[SOCKETS1-8]|[SOCKETS9-16]|"
                    "[SOCKETS17-24]|[LEVEL]|[SENSOR9]";
        rig.app.EmailAlerts().ComposeAlertText(mail);
        QCOMPARE(mail.text, QStringLiteral("Reef 25.3|---|pH tank|Reef 25.3|ALARM|1X 2- 3- 4X 5- 6- 7- 8- |"
                                           "9X 10- 11- 12- 13- 14- 15- 16- |"
                                           "17- 18- 19- 20- 21- 22- 23- 24X |1X 2- 3X |[SENSOR9]"));
        // Input 2 has no sensor: not read. Alarm, sockets and level: once each.
        QCOMPARE(rig.Reads(), (QList<int>{1228, 1230, 1090, 1188, 1070}));
        QCOMPARE(rig.app.Sensors()[2].userName, QStringLiteral("pH tank"));
    }

    void twoLevelChannelsAndNoAlarm()
    {
        Rig rig(3);
        QVERIFY(rig.Connect());
        rig.model.Controller().SetValue(1070, 0x2 | (1 << 10));
        CEmail mail;
        mail.text = "[ALARM] [LEVEL]";
        rig.app.EmailAlerts().ComposeAlertText(mail);
        QCOMPARE(mail.text, QStringLiteral("no alarm 1- 2X "));
        // Only what the text asks for is read.
        mail.text = "plain text";
        rig.model.ClearLog();
        rig.app.EmailAlerts().ComposeAlertText(mail);
        QVERIFY(rig.Reads().isEmpty());
    }

    void failedSocketReadEndsComposition()
    {
        Rig rig;
        QVERIFY(rig.Connect());
        CBusDevice& c = rig.model.Controller();
        c.beforeRead = [&rig](CBusDevice&, int number) {
            if (number == 1188) {
                CDeviceModel::Faults f;
                f.dropRate = 1.0;
                rig.model.SetFaults(f);
            }
        };
        CEmail mail;
        mail.text = "[SENSOR1] [SOCKETS1-8] [LEVEL]";
        rig.app.EmailAlerts().ComposeAlertText(mail);
        QCOMPARE(mail.text, QStringLiteral("Reef 25.3 [SOCKETS1-8] [LEVEL]"));
        QVERIFY(!rig.Reads().contains(1070));
    }

    void simulationAndNoConnection()
    {
        Rig rig;
        CEmail mail;
        mail.text = "[SENSOR1] [ALARM] [SOCKETS9-16] [LEVEL]";
        CEmail copy = mail;
        rig.app.EmailAlerts().ComposeAlertText(copy);  // not connected: unchanged
        QCOMPARE(copy.text, mail.text);
        QVERIFY(rig.app.ToggleSimulation());
        QVERIFY(rig.Connect());
        rig.app.EmailAlerts().ComposeAlertText(mail);
        QCOMPARE(mail.text, QStringLiteral("--- --- --- ---"));
        QVERIFY(rig.model.Log().isEmpty());
    }

    void cycleFiresOnTimeOnIntervalAndOnAlarm()
    {
        Rig rig;
        rig.Add("AtTime", CEmail::AtTime, 10 * 60 + 5);
        rig.Add("Every2", CEmail::Interval, 2);
        rig.Add("AlarmA", CEmail::OnAlarm, 0);
        rig.Add("AlarmB", CEmail::OnAlarm, 0);
        rig.Add("Repeat3", CEmail::OnAlarmRepeated, 3);
        rig.Add("TestOnly", CEmail::TestOnly, 0);

        // Without a connection nothing happens at all.
        rig.At(10, 0);
        QCOMPARE(rig.Cycle(), QStringList{});
        QVERIFY(rig.app.EmailSettings().rules[1].firstCheck);

        QVERIFY(rig.Connect());
        CBusDevice& c = rig.model.Controller();
        auto cycleAt = [&](int h, int m, int s) {
            rig.At(h, m, s);
            return rig.Cycle();
        };
        QCOMPARE(cycleAt(10, 0, 0), QStringList{});
        QCOMPARE(cycleAt(10, 0, 30), QStringList{});
        QCOMPARE(cycleAt(10, 1, 0), QStringList{});
        QCOMPARE(cycleAt(10, 2, 0), QStringList{"Every2"});
        c.SetValue(1090, 1);  // alarm begins
        // Each alarm rule has its own latch: both alarm rules send, the repeating one too.
        QCOMPARE(cycleAt(10, 2, 30), (QStringList{"AlarmA", "AlarmB", "Repeat3"}));
        QCOMPARE(cycleAt(10, 3, 0), QStringList{});
        QCOMPARE(cycleAt(10, 4, 0), QStringList{"Every2"});
        QCOMPARE(cycleAt(10, 4, 30), QStringList{});
        // The repeat counts from the onset at 10:02.
        QCOMPARE(cycleAt(10, 5, 0), (QStringList{"AtTime", "Repeat3"}));
        QCOMPARE(cycleAt(10, 5, 30), QStringList{});
        c.SetValue(1090, 0);  // alarm over
        QCOMPARE(cycleAt(10, 6, 0), QStringList{"Every2"});
        c.SetValue(1090, 1);  // next alarm: at once again
        QCOMPARE(cycleAt(10, 6, 30), (QStringList{"AlarmA", "AlarmB", "Repeat3"}));
        QCOMPARE(cycleAt(10, 7, 0), QStringList{});
        QCOMPARE(cycleAt(10, 8, 0), QStringList{"Every2"});
        QCOMPARE(cycleAt(10, 9, 0), QStringList{"Repeat3"});  // onset 10:06 + 3 minutes
        QCOMPARE(cycleAt(10, 9, 30), QStringList{});
        // The alarm parameter is read once per cycle, whatever the number of alarm rules.
        rig.model.ClearLog();
        cycleAt(10, 10, 0);
        QCOMPARE(rig.Reads(), QList<int>{1090});
    }

    void repeatWithFirstCheckStartsAtOnset()
    {
        // The repeat of an alarm that lasts: interval 0:00 sends at every new minute.
        Rig rig;
        rig.Add("Repeat0", CEmail::OnAlarmRepeated, 0);
        QVERIFY(rig.Connect());
        rig.model.Controller().SetValue(1090, 1);
        rig.At(23, 59, 30);
        QCOMPARE(rig.Cycle(), QStringList{"Repeat0"});
        rig.At(0, 0, 0);
        QCOMPARE(rig.Cycle(), QStringList{"Repeat0"});
        rig.At(0, 0, 30);
        QCOMPARE(rig.Cycle(), QStringList{});
    }

    void cycleWaitsForARunningTransfer()
    {
        Rig rig;
        rig.Add("Every0", CEmail::Interval, 0);
        QVERIFY(rig.Connect());
        rig.At(8, 0);
        rig.Cycle();
        rig.app.SetTransferInProgress(true);
        rig.At(8, 1);
        QCOMPARE(rig.Cycle(), QStringList{});
        QVERIFY(rig.model.Log().isEmpty());
        rig.app.SetTransferInProgress(false);
        QCOMPARE(rig.Cycle(), QStringList{"Every0"});
        QVERIFY(!rig.app.IsTransferInProgress());
    }

    // Times of day that pass during a transfer are sent right after it, each once; one sent
    // before the transfer is not sent again, and one still to come waits for its minute.
    void dueRulesCatchUpAfterATransfer()
    {
        Rig rig;
        rig.Add("AtOne", CEmail::AtTime, 8 * 60 + 1);
        rig.Add("AtThree", CEmail::AtTime, 8 * 60 + 3);
        rig.Add("AtFive", CEmail::AtTime, 8 * 60 + 5);
        rig.Add("AtSeven", CEmail::AtTime, 8 * 60 + 7);
        rig.Add("Every2", CEmail::Interval, 2);
        QVERIFY(rig.Connect());
        rig.At(8, 0);
        QCOMPARE(rig.Cycle(), QStringList{});
        rig.At(8, 1);
        QCOMPARE(rig.Cycle(), QStringList{"AtOne"});
        QSignalSpy queued(&rig.app.EmailAlerts(), &CEmailAlerts::MailQueued);
        {
            CTimerStop transfer;
            for (int m : {2, 3, 4}) {
                rig.At(8, m);
                QCOMPARE(rig.Cycle(), QStringList{});
                QTest::qWait(2 * CEmailAlerts::CatchUpPollMs);
            }
            rig.At(8, 5);
        }
        // Right after the transfer, without waiting for the next tick.
        QTRY_COMPARE(queued.size(), 3);
        QStringList sent;
        for (const QList<QVariant>& args : queued) sent << args.at(0).toString();
        QCOMPARE(sent, (QStringList{"AtThree", "AtFive", "Every2"}));
        rig.At(8, 5, 30);
        QCOMPARE(rig.Cycle(), QStringList{});
        rig.At(8, 7);
        QCOMPARE(rig.Cycle(), (QStringList{"AtSeven", "Every2"}));
    }

    // A service that takes over while a transfer holds the cycle sends what falls due
    // meanwhile; when this program sends again it does not send those a second time.
    void serviceTakingOverDuringATransferLeavesNothingToCatchUp()
    {
        Rig rig;
        rig.Add("AtThree", CEmail::AtTime, 8 * 60 + 3);
        QVERIFY(rig.Connect());
        rig.At(8, 1);
        QCOMPARE(rig.Cycle(), QStringList{});
        rig.app.SetTransferInProgress(true);
        rig.At(8, 2);
        QCOMPARE(rig.Cycle(), QStringList{});

        // The lock as another live program on this machine holds it.
        QProcess other;
        other.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(other.waitForStarted());
        const QString lockPath = QDir(rig.app.dataFolder).filePath(CAlertSenderLock::FileName(rig.app.SerialNumber()));
        QByteArray lockBytes;
        {
            QLockFile own(lockPath);
            QVERIFY(own.tryLock(0));
            QFile f(lockPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            lockBytes = f.readAll();
            own.unlock();
        }
        lockBytes.replace(0, lockBytes.indexOf('\n'), QByteArray::number(other.processId()));
        {
            QFile f(lockPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(lockBytes);
        }
        rig.At(8, 3);
        QCOMPARE(rig.Cycle(), QStringList{});
        QCOMPARE(rig.app.EmailAlerts().SendingService(), other.processId());

        QSignalSpy queued(&rig.app.EmailAlerts(), &CEmailAlerts::MailQueued);
        rig.app.SetTransferInProgress(false);
        QTest::qWait(2 * CEmailAlerts::CatchUpPollMs);
        other.kill();
        QVERIFY(other.waitForFinished());
        QFile::remove(lockPath);
        rig.At(8, 4);
        QCOMPARE(rig.Cycle(), QStringList{});
        QCOMPARE(queued.size(), 0);
    }
};

QTEST_GUILESS_MAIN(CEmailAlertsTest)
#include "CEmailAlerts_test.moc"
