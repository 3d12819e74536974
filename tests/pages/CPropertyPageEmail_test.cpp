// SPDX-License-Identifier: GPL-3.0-or-later
// The e-mail page through its controls: the rule list round trip through
// "EmailSettings.dat", the server fields and their enabling, and the alert cycle on the
// sheet's timer sending through korvalis-mailsend to a local SMTP server.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "support/ControlInput.h"
#include "app/CEmailAlerts.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "pages/alerts/CEditEmail.h"
#include "pages/alerts/CPropertyPageEmail.h"
#include "alerts/CEmailSettings.h"
#include "support/CSheetRig.h"
#include "support/CSmtpTestServer.h"
#include "support/TestPaths.h"

namespace {

using Page = CPropertyPageEmail;

template <class T>
T* Control(QWidget* parent, int id) {
    return parent->findChild<T*>(QString::number(id));
}

QPushButton* ButtonOf(QWidget* parent, int id) {
    return Control<QPushButton>(parent, id);
}

struct RuleInput {
    QString recipients;
    QString subject;
    QString text;
    int type = 0;
    QTime time = QTime(12, 0);
};

void Fill(CEditEmail* d, const RuleInput& in) {
    Control<QLineEdit>(d, CEditEmail::IdRecipients)->setText(in.recipients);
    Control<QLineEdit>(d, CEditEmail::IdSubject)->setText(in.subject);
    Control<QPlainTextEdit>(d, CEditEmail::IdText)->setPlainText(in.text);
    Control<QComboBox>(d, CEditEmail::IdType)->setCurrentIndex(in.type);
    Control<QTimeEdit>(d, CEditEmail::IdTime)->setTime(in.time);
}

void PressOk(CEditEmail* d) {
    ButtonOf(d, 1)->click();
}

// The file as a fresh program start would read it.
CEmailSettings Reload(const QString& folder) {
    CEmailSettings s(folder);
    s.Load();
    return s;
}

QStringList Row(QTreeWidget* list, int row) {
    QStringList texts;
    for (int c = 0; c < list->columnCount(); ++c) texts << list->topLevelItem(row)->text(c);
    return texts;
}

// A main window over the device model whose e-mail settings live in a temporary folder.
struct EmailRig {
    explicit EmailRig(int language = CLanguage::English) : rig(Options(), language) {
        rig.app.dataFolder = dir.path();
        rig.app.LoadEmailSettings();
        rig.model.Controller().SetText(1228, "Reef 25.3");
    }
    static CDeviceModel::Options Options() {
        CDeviceModel::Options o;
        o.sensors = {1, 0, 0, 0, 0, 0, 0, 0};
        return o;
    }
    Page* Open() {
        auto* page = rig.Activate<Page>();
        if (page) list = Control<QTreeWidget>(page, Page::IdList);
        return page;
    }
    CEmailSettings& Settings() { return rig.app.EmailSettings(); }

    QTemporaryDir dir;
    CSheetRig rig;
    QTreeWidget* list = nullptr;
};

void Commit(QLineEdit* edit, const QString& text) {
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

class CPropertyPageEmailTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pageIsInBothSetsAndNeverModified() {
        QTemporaryDir dir;
        {
            CEmailSettings s(dir.path());
            CEmail r;
            r.recipients = {"keeper@example.org", "vet@example.net"};
            r.subject = "Hourly";
            r.text = "Line one\r\nline\ttwo";
            r.type = CEmail::Interval;
            r.SetTimeMinutes(60);
            s.rules.append(r);
            s.smtpServer = "mail.example.org";
            s.senderAddress = "tank@example.org";
            s.port = 587;
            QVERIFY(s.Save());
        }
        CSheetRig rig(EmailRig::Options());
        rig.app.dataFolder = dir.path();
        rig.app.LoadEmailSettings();
        // Disconnected: General and e-mail, the e-mail page last.
        QCOMPARE(rig.sheet->PageCount(), 2);
        auto* page = rig.Activate<Page>();
        QVERIFY(page);
        QVERIFY(page->IsLast());
        auto* list = Control<QTreeWidget>(page, Page::IdList);
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(Row(list, 0), (QStringList{"keeper@example.org,vet@example.net", "Hourly",
                                            "Line one  line two", Tr(318)}));
        QCOMPARE(list->headerItem()->text(0), Tr(310));
        QCOMPARE(list->headerItem()->text(3), Tr(312));
        QCOMPARE(Control<QLineEdit>(page, Page::IdServer)->text(),
                 QStringLiteral("mail.example.org"));
        QCOMPARE(Control<QSpinBox>(page, Page::IdPort)->value(), 587);

        // Connected: present again (a new page), same contents.
        QVERIFY(rig.Connect());
        page = rig.Activate<Page>();
        QVERIFY(page);
        QVERIFY(page->IsLast());
        QCOMPARE(Control<QTreeWidget>(page, Page::IdList)->topLevelItemCount(), 1);
        Commit(Control<QLineEdit>(page, Page::IdSender), "other@example.org");
        QCOMPARE(rig.app.EmailSettings().senderAddress, QStringLiteral("other@example.org"));
        // Not a controller parameter: nothing to send, nothing written to the controller.
        QVERIFY(!page->IsModified());
        QVERIFY(!rig.sheet->Button(CMyPropertySheet::IdSend)->isEnabled());
        QVERIFY(rig.model.Writes().isEmpty());
    }

    void addEditDuplicateDeleteRoundTrip() {
        EmailRig e;
        Page* page = e.Open();
        QVERIFY(page);
        for (int id : {Page::IdEdit, Page::IdDuplicate, Page::IdDelete, Page::IdTest})
            QVERIFY(!ButtonOf(page, id)->isEnabled());

        // Add: recipients cleaned up, type and time taken over.
        int dialogs = 0;
        WhenModalOpens<CEditEmail>(
            [](CEditEmail* d) {
                Fill(d, {" keeper@example.org ;second@example.net,,", "Morning", "Temp [SENSOR1]",
                         0, QTime(7, 30)});
                PressOk(d);
            },
            &dialogs);
        ButtonOf(page, Page::IdAdd)->click();
        QCOMPARE(dialogs, 1);
        QCOMPARE(e.list->topLevelItemCount(), 1);
        QCOMPARE(page->SelectedRow(), 0);
        for (int id : {Page::IdEdit, Page::IdDuplicate, Page::IdDelete, Page::IdTest})
            QVERIFY(ButtonOf(page, id)->isEnabled());
        CEmailSettings file = Reload(e.dir.path());
        QCOMPARE(file.rules.size(), 1);
        QCOMPARE(file.rules[0].recipients,
                 (QStringList{"keeper@example.org", "second@example.net"}));
        QCOMPARE(file.rules[0].subject, QStringLiteral("Morning"));
        QCOMPARE(file.rules[0].text, QStringLiteral("Temp [SENSOR1]"));
        QCOMPARE(file.rules[0].type, 0);
        QCOMPARE(file.rules[0].TimeMinutes(), 7 * 60 + 30);

        // Edit by double-click: the dialog shows the rule; the result replaces it.
        QString shownRecipients;
        QTime shownTime;
        WhenModalOpens<CEditEmail>([&](CEditEmail* d) {
            shownRecipients = Control<QLineEdit>(d, CEditEmail::IdRecipients)->text();
            shownTime = Control<QTimeEdit>(d, CEditEmail::IdTime)->time();
            Control<QLineEdit>(d, CEditEmail::IdSubject)->setText("Evening");
            Control<QComboBox>(d, CEditEmail::IdType)->setCurrentIndex(CEmail::Interval);
            Control<QTimeEdit>(d, CEditEmail::IdTime)->setTime(QTime(1, 30));
            PressOk(d);
        });
        Q_EMIT e.list->itemDoubleClicked(e.list->topLevelItem(0), 0);
        QCOMPARE(shownRecipients, QStringLiteral("keeper@example.org,second@example.net"));
        QCOMPARE(shownTime, QTime(7, 30));
        file = Reload(e.dir.path());
        QCOMPARE(file.rules.size(), 1);
        QCOMPARE(file.rules[0].subject, QStringLiteral("Evening"));
        QCOMPARE(file.rules[0].type, static_cast<int>(CEmail::Interval));
        QCOMPARE(file.rules[0].TimeMinutes(), 90);
        QCOMPARE(Row(e.list, 0)[3], Tr(318));
        // The edited rule starts its trigger test afresh.
        QVERIFY(e.Settings().rules[0].firstCheck);

        // An alarm the cycle reports while the dialog is open stays reported after OK.
        WhenModalOpens<CEditEmail>([&](CEditEmail* d) {
            Control<QComboBox>(d, CEditEmail::IdType)->setCurrentIndex(CEmail::OnAlarm);
            e.Settings().rules[0].alarmLatch = true;  // what the cycle does at the onset
            PressOk(d);
        });
        ButtonOf(page, Page::IdEdit)->click();
        QCOMPARE(e.Settings().rules[0].type, static_cast<int>(CEmail::OnAlarm));
        QVERIFY(e.Settings().rules[0].alarmLatch);
        WhenModalOpens<CEditEmail>([](CEditEmail* d) {
            Control<QComboBox>(d, CEditEmail::IdType)->setCurrentIndex(CEmail::Interval);
            Control<QTimeEdit>(d, CEditEmail::IdTime)->setTime(QTime(1, 30));
            PressOk(d);
        });
        ButtonOf(page, Page::IdEdit)->click();

        // Duplicate: the copy, edited, is appended; the original stays.
        WhenModalOpens<CEditEmail>([](CEditEmail* d) {
            Control<QLineEdit>(d, CEditEmail::IdSubject)->setText("Copy");
            PressOk(d);
        });
        ButtonOf(page, Page::IdDuplicate)->click();
        QCOMPARE(e.list->topLevelItemCount(), 2);
        QCOMPARE(page->SelectedRow(), 1);
        file = Reload(e.dir.path());
        QCOMPARE(file.rules.size(), 2);
        QCOMPARE(file.rules[0].subject, QStringLiteral("Evening"));
        QCOMPARE(file.rules[1].subject, QStringLiteral("Copy"));
        QCOMPARE(file.rules[1].recipients, file.rules[0].recipients);

        // Cancelled edit and cancelled add change nothing.
        QFile f(e.Settings().FilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        WhenModalOpens<CEditEmail>([](CEditEmail* d) {
            Control<QLineEdit>(d, CEditEmail::IdSubject)->setText("Never");
            d->reject();
        });
        ButtonOf(page, Page::IdEdit)->click();
        WhenModalOpens<CEditEmail>([](CEditEmail* d) { d->reject(); });
        ButtonOf(page, Page::IdAdd)->click();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        f.close();
        QCOMPARE(e.list->topLevelItemCount(), 2);

        // Delete: the selected rule, without a question.
        page->SelectRow(0);
        ButtonOf(page, Page::IdDelete)->click();
        QCOMPARE(e.list->topLevelItemCount(), 1);
        QCOMPARE(Row(e.list, 0)[1], QStringLiteral("Copy"));
        QVERIFY(e.rig.ui.shown.isEmpty());
        file = Reload(e.dir.path());
        QVERIFY(file.SameStoredFields(e.Settings()));
        ButtonOf(page, Page::IdDelete)->click();
        QCOMPARE(e.list->topLevelItemCount(), 0);
        QVERIFY(!ButtonOf(page, Page::IdDelete)->isEnabled());
        // An empty list: the file starts with a rule count of 0.
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(2), QByteArray("\0\0", 2));
    }

    void serverFieldsEnablingAndRefusal() {
        EmailRig e;
        Page* page = e.Open();
        auto* server = Control<QLineEdit>(page, Page::IdServer);
        auto* user = Control<QLineEdit>(page, Page::IdUser);
        auto* password = Control<QLineEdit>(page, Page::IdPassword);
        auto* auth = Control<QCheckBox>(page, Page::IdAuthentication);
        auto* port = Control<QSpinBox>(page, Page::IdPort);
        QCOMPARE(port->value(), 25);
        QVERIFY(!user->isEnabled());
        QVERIFY(!password->isEnabled());

        Commit(server, "smtp.example.org");
        Commit(Control<QLineEdit>(page, Page::IdSender), "tank@example.org");
        Commit(Control<QLineEdit>(page, Page::IdFurtherText), "Reef tank");
        auth->click();
        QVERIFY(user->isEnabled());
        QVERIFY(password->isEnabled());
        Commit(user, "tank");
        Commit(password, "s3cret; $(id)");
        port->clear();
        QTest::keyClicks(port, "587");
        QTest::keyClick(port, Qt::Key_Return);
        CEmailSettings file = Reload(e.dir.path());
        QCOMPARE(file.smtpServer, QStringLiteral("smtp.example.org"));
        QCOMPARE(file.senderAddress, QStringLiteral("tank@example.org"));
        QCOMPARE(file.furtherText, QStringLiteral("Reef tank"));
        QVERIFY(file.authentication);
        QCOMPARE(file.userName, QStringLiteral("tank"));
        QCOMPARE(file.password, QStringLiteral("s3cret; $(id)"));
        QCOMPARE(file.port, uint16_t(587));
        // A letter the file cannot hold would come back as "?" after a restart.
        password->setText(QStringLiteral("pa\u20ACss"));
        QTest::keyClick(password, Qt::Key_Return);
        QCOMPARE(e.rig.ui.MessageIds(), QList<int>{42348});
        QCOMPARE(password->text(), QStringLiteral("s3cret; $(id)"));
        QCOMPARE(Reload(e.dir.path()).password, QStringLiteral("s3cret; $(id)"));

        ButtonOf(page, Page::IdPortDefault)->click();
        QCOMPARE(port->value(), 25);
        QCOMPARE(Reload(e.dir.path()).port, uint16_t(25));
        auth->click();
        QVERIFY(!user->isEnabled());
        QVERIFY(!Reload(e.dir.path()).authentication);

        // A line break or control character would reach the mail header or the command
        // line: refused, the field shows what the settings hold.
        server->setText(QStringLiteral("smtp.example.org\r\nRCPT TO:<x@y>"));
        QTest::keyClick(server, Qt::Key_Return);
        QCOMPARE(e.rig.ui.MessageIds(), (QList<int>{42348, 42347}));
        QCOMPARE(server->text(), QStringLiteral("smtp.example.org"));
        QCOMPARE(Reload(e.dir.path()).smtpServer, QStringLiteral("smtp.example.org"));

        // A field left without Enter or a focus change is kept when the window closes.
        Control<QLineEdit>(page, Page::IdSender)->setText("late@example.org");
        QVERIFY(!page->IsModified());  // the file is the page's store: Send has nothing to do
        e.rig.sheet.reset();           // deletes the page
        QCOMPARE(Reload(e.dir.path()).senderAddress, QStringLiteral("late@example.org"));
    }

    void unwritableFileIsReported() {
        EmailRig e;
        // A folder in the way of the file: the save fails and the page says so.
        e.Settings().SetFilePath(e.dir.filePath("blocked"));
        QVERIFY(QDir(e.dir.path()).mkpath("blocked"));
        Page* page = e.Open();
        Commit(Control<QLineEdit>(page, Page::IdServer), "smtp.example.org");
        QVERIFY2(page->StatusText().startsWith(TrArg(42316, {QString()})),
                 qPrintable(page->StatusText()));
        // The setting itself is taken.
        QCOMPARE(e.Settings().smtpServer, QStringLiteral("smtp.example.org"));
    }

    void alertCycleOnTheSheetTimerAndTestButtonSend() {
        QVERIFY2(CSmtpTestServer::Available(), "python3-aiosmtpd is needed (scripts/install-deps)");
        CSmtpTestServer server({});
        QVERIFY2(server.Port() > 0, qPrintable(server.Errors()));

        EmailRig e;
        CEmailAlerts& alerts = e.rig.app.EmailAlerts();
        alerts.SetMailerProgram(TestPaths::Program("korvalis-mailsend"));
        QDateTime now(QDate(2024, 3, 1), QTime(10, 0));
        alerts.SetClock([&now] { return now; });
        CEmailSettings& s = e.Settings();
        s.smtpServer = "127.0.0.1";
        s.port = static_cast<uint16_t>(server.Port());
        s.senderAddress = "tank@example.org";
        CEmail rule;
        rule.recipients = {"keeper@example.org"};
        rule.subject = "Ten past ten";
        rule.text = "Temp [SENSOR1]\nSockets [SOCKETS1-8]";
        rule.type = CEmail::AtTime;
        rule.SetTimeMinutes(10 * 60 + 1);
        s.rules.append(rule);
        e.rig.model.Controller().SetValue(1188, 0x0009);
        QVERIFY(e.rig.Connect());
        Page* page = e.Open();
        QCOMPARE(page->StatusText(), Tr(42313));

        QSignalSpy queued(&alerts, &CEmailAlerts::MailQueued);
        e.rig.sheet->RunAlertCycle();  // 10:00: the first check only takes the minute
        now = now.addSecs(60);
        {
            // A transfer in progress: the cycle leaves the controller and the rules alone.
            CTimerStop transfer;
            e.rig.model.ClearLog();
            e.rig.sheet->RunAlertCycle();
            QVERIFY(e.rig.model.Log().isEmpty());
        }
        QCOMPARE(queued.size(), 0);
        e.rig.sheet->RunAlertCycle();  // 10:01: due
        now = now.addSecs(30);
        e.rig.sheet->RunAlertCycle();  // 10:01 again: once per minute
        QCOMPARE(queued.size(), 1);
        QVERIFY(alerts.WaitForIdle(90000));
        QVERIFY2(alerts.LastResult().ok, qPrintable(alerts.LastResult().reason));
        QJsonObject m = server.TakeMessage();
        QCOMPARE(m["subject"].toString(), QStringLiteral("Ten past ten"));
        QCOMPARE(m["to"].toArray().size(), 1);
        QCOMPARE(m["body"].toString(),
                 QStringLiteral("Temp Reef 25.3\nSockets 1X 2- 3- 4X 5- 6- 7- 8- \n"));
        QCOMPARE(page->StatusText(), TrArg(42311, {QLocale().toString(now, QLocale::ShortFormat),
                                                   "keeper@example.org"}));

        // The test button sends the selected rule at once, whatever its type and time.
        page->SelectRow(0);
        ButtonOf(page, Page::IdTest)->click();
        QCOMPARE(queued.size(), 2);
        QVERIFY(alerts.WaitForIdle(90000));
        m = server.TakeMessage();
        QCOMPARE(m["subject"].toString(), QStringLiteral("Ten past ten"));
        QVERIFY(m["body"].toString().startsWith("Temp Reef 25.3\n"));
        QCOMPARE(server.Pending(), 0);
        // Nothing of this touched the stored rule.
        QCOMPARE(e.Settings().rules[0].text, rule.text);

        // A server that refuses the recipient: the page says the mail was not sent.
        CSmtpTestServer refusing({"--refuse"});
        QVERIFY2(refusing.Port() > 0, qPrintable(refusing.Errors()));
        Control<QSpinBox>(page, Page::IdPort)->setValue(refusing.Port());
        ButtonOf(page, Page::IdTest)->click();
        QVERIFY(alerts.WaitForIdle(90000));
        QVERIFY(!alerts.LastResult().ok);
        const QString failed = TrArg(42312, {QLocale().toString(now, QLocale::ShortFormat), QString()});
        QVERIFY2(page->StatusText().startsWith(failed), qPrintable(page->StatusText()));
        QVERIFY(page->StatusText().size() > failed.size());  // with the reason
    }

    void screenshots() {
        // For looking at the page: KORVALIS_SCREENSHOT_DIR=/tmp/shots
        const QString shots = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (shots.isEmpty()) return;
        for (int language : {CLanguage::English, CLanguage::German}) {
            const QString suffix = language == CLanguage::English ? "en" : "de";
            EmailRig e(language);
            CEmail r;
            r.recipients = {"keeper@example.org", "vet@example.net"};
            r.subject = "Morning report";
            r.text = "Temperature [SENSOR1]\nSockets [SOCKETS1-8]\nAlarm: [ALARM]";
            r.SetTimeMinutes(7 * 60 + 30);
            e.Settings().rules.append(r);
            r.recipients = {"keeper@example.org"};
            r.subject = "Alarm!";
            r.text = "[ALARM] level [LEVEL]";
            r.type = CEmail::OnAlarmRepeated;
            r.SetTimeMinutes(90);
            e.Settings().rules.append(r);
            e.Settings().smtpServer = "smtp.example.org";
            e.Settings().senderAddress = "tank@example.org";
            e.Settings().authentication = true;
            e.Settings().userName = "tank";
            e.Settings().password = "secret";
            Page* page = e.Open();
            page->SelectRow(1);
            e.rig.sheet->show();
            CSheetRig::Settle();
            QVERIFY(e.rig.sheet->grab().save(shots + "/email-page-" + suffix + ".png"));
            for (int type : {0, 3}) {
                CEmail rule = e.Settings().rules[type == 0 ? 0 : 1];
                CEditEmail dialog(rule, e.rig.sheet.get());
                dialog.show();
                CSheetRig::Settle();
                QVERIFY(dialog.grab().save(
                    shots + QStringLiteral("/email-rule-%1-type%2.png").arg(suffix).arg(type)));
            }
        }
    }
};

QTEST_MAIN(CPropertyPageEmailTest)
#include "CPropertyPageEmail_test.moc"
