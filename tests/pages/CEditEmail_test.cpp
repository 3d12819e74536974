// SPDX-License-Identifier: GPL-3.0-or-later
// The alert-rule dialog: the time picker follows the type, the placeholder insert, the
// checks on OK (message 42343 with the reason, the dialog stays open) and what OK keeps.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimeEdit>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "pages/alerts/CEditEmail.h"
#include "support/CScriptedUserInteraction.h"

namespace {

template <class T>
T* Control(QWidget* parent, int id) {
    return parent->findChild<T*>(QString::number(id));
}

CEmail Rule() {
    CEmail r;
    r.recipients = {"keeper@example.org"};
    r.subject = "Report";
    r.text = "Temperature XX now";
    return r;
}

}  // namespace

class CEditEmailTest : public QObject {
    Q_OBJECT

    CKorvalisControlApp m_app;
    CScriptedUserInteraction m_ui;

private Q_SLOTS:
    void initTestCase() {
        m_app.SetUserInteraction(&m_ui);
        QVERIFY(m_app.LoadLanguage(CLanguage::English));
    }

    void init() { m_ui.shown.clear(); }

    void typeDecidesTheTimeCaptionAndFormat() {
        CEditEmail d(Rule());
        auto* type = Control<QComboBox>(&d, CEditEmail::IdType);
        auto* caption = Control<QLabel>(&d, CEditEmail::IdTimeCaption);
        auto* time = Control<QTimeEdit>(&d, CEditEmail::IdTime);
        QCOMPARE(type->count(), 5);
        QCOMPARE(type->itemText(4), Tr(321));
        QCOMPARE(type->currentIndex(), 0);
        QVERIFY(!time->isHidden());
        QCOMPARE(caption->text(), Tr(313));
        // The system's format, without seconds.
        QCOMPARE(time->displayFormat(), CEditEmail::TimeFormat(CEmail::AtTime));
        QVERIFY(!time->displayFormat().contains('s'));
        QVERIFY(time->displayFormat().contains(QLatin1String("mm")));
        for (int t : {1, 3}) {
            type->setCurrentIndex(t);
            QVERIFY(!caption->isHidden());
            QCOMPARE(caption->text(), Tr(314));
            QCOMPARE(time->displayFormat(), QStringLiteral("H:mm"));
        }
        for (int t : {2, 4}) {
            type->setCurrentIndex(t);
            QVERIFY(caption->isHidden());
            QVERIFY(time->isHidden());
        }
        // No address book on this platform: present, disabled, and it says why.
        auto* book = Control<QPushButton>(&d, CEditEmail::IdAddressBook);
        QVERIFY(!book->isEnabled());
        QCOMPARE(book->toolTip(), Tr(42314));
    }

    void insertReplacesTheSelection() {
        CEditEmail d(Rule());
        d.show();
        auto* text = Control<QPlainTextEdit>(&d, CEditEmail::IdText);
        auto* placeholder = Control<QComboBox>(&d, CEditEmail::IdPlaceholder);
        QCOMPARE(placeholder->count(), 13);
        QCOMPARE(placeholder->itemText(0), QStringLiteral("[SENSOR1]"));
        QCOMPARE(placeholder->itemText(12), QStringLiteral("[LEVEL]"));
        QTextCursor c = text->textCursor();
        c.setPosition(12);
        c.setPosition(14, QTextCursor::KeepAnchor);
        text->setTextCursor(c);
        placeholder->setCurrentIndex(9);
        Control<QLineEdit>(&d, CEditEmail::IdRecipients)->setFocus();
        Control<QPushButton>(&d, CEditEmail::IdInsert)->click();
        QCOMPARE(text->toPlainText(), QStringLiteral("Temperature [SOCKETS9-16] now"));
        QCOMPARE(d.focusWidget(), text);
        // Without a selection it goes in at the cursor.
        Control<QPushButton>(&d, CEditEmail::IdInsert)->click();
        QCOMPARE(text->toPlainText(), QStringLiteral("Temperature [SOCKETS9-16][SOCKETS9-16] now"));
    }

    void okRefusesWhatCannotBeSentOrStored_data() {
        QTest::addColumn<QString>("recipients");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("focus");
        const int to = CEditEmail::IdRecipients;
        QTest::newRow("no recipient") << " ;, "
                                      << "s"
                                      << "t" << Tr(42300) << to;
        QTest::newRow("not an address") << "a@b.example;keeper"
                                        << "s"
                                        << "t" << TrArg(42301, {"keeper"}) << to;
        QTest::newRow("option-like") << "-oX@y.example"
                                     << "s"
                                     << "t" << TrArg(42301, {"-oX@y.example"}) << to;
        QTest::newRow("header injection") << "a@b.example"
                                          << "Alarm\r\nBcc: x@y.example"
                                          << "t" << Tr(42304) << int(CEditEmail::IdSubject);
        QTest::newRow("subject not storable") << "a@b.example"
                                              << "Fish \u2603"
                                              << "t" << Tr(42345) << int(CEditEmail::IdSubject);
        QTest::newRow("text not storable")
            << "a@b.example"
            << "s"
            << "Price 5 \u20ac" << Tr(42344) << int(CEditEmail::IdText);
        QTest::newRow("text control") << "a@b.example"
                                      << "s"
                                      << "bell \x07" << Tr(42346) << int(CEditEmail::IdText);
    }

    void okRefusesWhatCannotBeSentOrStored() {
        QFETCH(QString, recipients);
        QFETCH(QString, subject);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        QFETCH(int, focus);
        CEditEmail d(Rule());
        d.show();
        Control<QLineEdit>(&d, CEditEmail::IdRecipients)->setText(recipients);
        Control<QLineEdit>(&d, CEditEmail::IdSubject)->setText(subject);
        Control<QPlainTextEdit>(&d, CEditEmail::IdText)->setPlainText(text);
        Control<QPushButton>(&d, 1)->click();
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), 0);
        QCOMPARE(m_ui.MessageIds(), QList<int>{42343});
        QCOMPARE(m_ui.shown[0].text, TrArg(42343, {reason}));
        QCOMPARE(d.focusWidget()->objectName(), QString::number(focus));
        // The rule itself is untouched.
        QCOMPARE(d.Rule().subject, QStringLiteral("Report"));
    }

    void okTakesTheFieldsOverAndRestartsTheTriggerTest() {
        CEmail rule = Rule();
        rule.type = CEmail::OnAlarmRepeated;
        rule.time = 0.5 + 30.0 / 86400.0;  // 12:00:30 from a file: seconds are kept
        rule.firstCheck = false;
        rule.elapsedMinutes = 17;
        rule.alarmLatch = true;
        rule.text = "one\r\ntwo";
        CEditEmail d(rule);
        d.show();
        QCOMPARE(Control<QPlainTextEdit>(&d, CEditEmail::IdText)->toPlainText(),
                 QStringLiteral("one\ntwo"));
        Control<QLineEdit>(&d, CEditEmail::IdRecipients)
            ->setText(" a@x.example ;b@y.example,,c@z.example;");
        Control<QPushButton>(&d, 1)->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(m_ui.shown.isEmpty());
        const CEmail& r = d.Rule();
        QCOMPARE(r.recipients, (QStringList{"a@x.example", "b@y.example", "c@z.example"}));
        QCOMPARE(r.type, static_cast<int>(CEmail::OnAlarmRepeated));
        QCOMPARE(r.time, rule.time);
        QCOMPARE(r.text, QStringLiteral("one\r\ntwo"));
        QVERIFY(r.firstCheck);
        QCOMPARE(r.elapsedMinutes, 0);
        // The alarm this rule already reported is not reported again because of the edit.
        QVERIFY(r.alarmLatch);

        // A changed time and text are taken over.
        CEditEmail d2(rule);
        d2.show();
        Control<QTimeEdit>(&d2, CEditEmail::IdTime)->setTime(QTime(2, 15));
        Control<QPlainTextEdit>(&d2, CEditEmail::IdText)->setPlainText("three");
        Control<QPushButton>(&d2, 1)->click();
        QCOMPARE(d2.Rule().TimeMinutes(), 135);
        QCOMPARE(d2.Rule().text, QStringLiteral("three"));
    }
};

QTEST_MAIN(CEditEmailTest)
#include "CEditEmail_test.moc"
