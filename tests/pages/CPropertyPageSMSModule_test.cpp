// SPDX-License-Identifier: GPL-3.0-or-later
// The SMS module page against the device model's module at bus address 34: the exact read
// and write sequences, the entry dialog's rules, the live-state cycle and the recovery of
// the active flag after a failed write; the phone-number and text rules.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>

#include "app/CEmailAlerts.h"
#include "device/behaviours/CSmsModuleBehaviour.h"
#include "lang/CLanguage.h"
#include "link/CSerialComm.h"
#include "pages/sms/CEditSMS.h"
#include "pages/sms/CEnterPUK.h"
#include "pages/sms/CPropertyPageSMSModule.h"
#include "pages/sms/CSMSDiagnosis.h"
#include "support/CDeviceModelServer.h"
#include "support/CSheetRig.h"
#include "support/CSocatPair.h"
#include "support/ControlInput.h"

namespace {
using Access = CDeviceModel::Access;

CDeviceModel::Options WithModule() {
    CDeviceModel::Options o;
    o.sms = true;
    return o;
}

// Slots 0 and 2 hold entries, slot 1 is empty: the second entry must keep slot 2.
void FillModule(CBusDevice& m) {
    m.SetValue(0, 412);
    m.SetValue(8, 1234);
    m.SetValue(86, 1);
    m.SetValue(89, 120);
    m.SetText(90, QByteArray("+4917\0", 6));
    for (int i = 0; i < 30; ++i) {
        const int b = 100 + 30 * i;
        m.SetText(b, QByteArray());
        for (int k : {10, 28}) m.SetText(b + k, QByteArray());
        for (int k : {20, 21, 22, 23, 24}) m.SetValue(b + k, 0);
    }
    m.SetText(100, "+111");
    m.SetText(110, "Hello");
    m.SetValue(120, 1 | (3 << 8));
    m.SetValue(121, 90);
    m.SetValue(122, 7);
    m.SetValue(123, 5);  // any non-zero flag reads as 1
    m.SetValue(124, 2);
    m.SetText(160, "+333");
    m.SetText(170, "Second");
    m.SetValue(180, 2);
    m.SetText(188, "AB12");
    for (int n : {2050, 2051, 2058, 2059, 2060, 2061}) m.SetValue(n, 0);
}

struct Rig : CSheetRig {
    Rig() : CSheetRig(WithModule()) {
        connection.smsModule = true;
        FillModule(*model.SmsModule());
    }
    CPropertyPageSMSModule* Page() {
        if (!Connect()) return nullptr;
        model.ClearLog();
        return Activate<CPropertyPageSMSModule>();
    }
    bool AllToModule() const {
        for (const Access& a : model.Log())
            if (a.address != 34) return false;
        return true;
    }
};
}  // namespace

class CPropertyPageSMSModuleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void phoneNumbersAndTexts() {
        const struct { const char* typed; const char* want; } numbers[] = {
            {"00 (12) 345-67", "+001234567"}, {"+1 2 3", "+123"}, {"", ""}, {"abc", ""},
            {"1+2", "+12"}, {"+123456789012345678901234", "+1234567890123456789"}};
        for (const auto& n : numbers)
            QCOMPARE(CSMS::NormalisePhoneNumber(QString::fromUtf8(n.typed)), QString::fromUtf8(n.want));
        QCOMPARE(CSMS::FilterText(QString::fromUtf8("Grüße")), QStringLiteral("Gruesse"));
        QCOMPARE(CSMS::FilterText(QString::fromUtf8("ÄÖÜ{}~\t€a\r\nb")), QStringLiteral("AeOeUea\r\nb"));
        QCOMPARE(CSMS::FilterText(QString(25, u'x') + u'ü'), QString(20, u'x'));
        QCOMPARE(CSMS::FilterText(QString(19, u'x') + u'ü'), QString(19, u'x') + u'u');
    }

    void readsEverythingFromTheModule() {
        Rig rig;
        auto* page = rig.Page();
        QVERIFY(page);
        QVERIFY(rig.AllToModule());
        QList<int> want{0, 6, 6, 8, 89, 86, 90, 100, 110, 120, 121, 122, 123, 124, 128, 130,
                        160, 170, 180, 181, 182, 183, 184, 188};
        for (int i = 3; i < 30; ++i) want << 100 + 30 * i;
        QList<int> reads;
        for (const Access& a : rig.model.Log()) reads << a.number;
        QCOMPARE(reads, want);
        const CSMSArray& e = page->Entries();
        QCOMPARE(e.size(), 2);
        QCOMPARE(e[0].slot, 0);
        QCOMPARE(e[1].slot, 2);
        QCOMPARE(int(e[0].event), 1);
        QCOMPARE(int(e[0].condition), 3);
        QCOMPARE(e[0].minutes, 90);
        QCOMPARE(int(e[0].flag), 1);
        QCOMPARE(e[1].code, QStringLiteral("AB12"));
        QCOMPARE(page->findChild<QLabel*>("1027")->text(), QStringLiteral("4.12"));
        QCOMPARE(page->findChild<QLineEdit*>("1632")->text(), QStringLiteral("1234"));
        QCOMPARE(page->findChild<QLineEdit*>("1636")->text(), QStringLiteral("+4917"));
        QVERIFY(page->findChild<QCheckBox*>("1661")->isChecked());
    }

    // The first failed read ends the read wherever it falls: one message, nothing read after.
    void readStopsAtTheFirstFailure_data() {
        QTest::addColumn<int>("failing");
        for (int n : {0, 90, 100, 121, 122, 124, 128}) QTest::addRow("%d", n) << n;
    }
    void readStopsAtTheFirstFailure() {
        QFETCH(int, failing);
        Rig rig;
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        // From this parameter on every answer is lost (each read is tried three times).
        rig.model.SmsModule()->AddBeforeRead([&rig, failing](CBusDevice&, int n) {
            if (n != failing) return;
            CDeviceModel::Faults f;
            f.dropRate = 1.0;
            rig.model.SetFaults(f);
        });
        rig.Activate<CPropertyPageSMSModule>();
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QList<int> reads;
        for (const Access& a : rig.model.Log())
            if (a.address == 34) reads << a.number;
        QCOMPARE(reads.last(), failing);
    }

    // What the module holds comes back as it was: a PIN with leading zeros, and an empty
    // text, which goes out as a lone zero byte since the bus carries no empty value field.
    void pinAndEmptyTextsRoundTrip() {
        Rig rig;
        rig.model.SmsModule()->SetValue(8, 42);
        auto* page = rig.Page();
        QVERIFY(page);
        QCOMPARE(page->findChild<QLineEdit*>("1632")->text(), QStringLiteral("0042"));
        // The PIN box off and on again: the PIN counts as changed and is sent as it was.
        for (int k = 0; k < 2; ++k) QTest::mouseClick(page->findChild<QCheckBox*>("1640"), Qt::LeftButton);
        page->findChild<QSpinBox*>("1649")->setValue(300);
        page->runEditor = [](CSMS& e) { e.text.clear(); return true; };
        page->SelectRow(0);
        page->EditEntry();
        rig.model.ClearLog();
        rig.Send();
        QVERIFY(rig.ui.MessageIds().isEmpty());
        CBusDevice& m = *rig.model.SmsModule();
        QVERIFY(rig.model.Writes().contains(QPair<int, int64_t>{8, 42}));
        QCOMPARE(m.Value(89), 300);
        QByteArray sent;
        for (const Access& a : rig.model.Log())
            if (a.kind == Access::WriteText && a.number == 110) sent = a.text;
        QCOMPARE(sent, QByteArray(1, '\0'));
        QVERIFY(rig.app.IsConnected());
    }

    void writesInOrderAndRenumbersSlots() {
        Rig rig;
        auto* page = rig.Page();
        QVERIFY(page);
        // A third entry, made on the PC; the PIN switched off.
        page->runEditor = [](CSMS& e) { e.recipient = "+555"; e.event = 4; e.condition = 2; e.minutes = 75; return true; };
        page->AddEntry();
        QTest::mouseClick(page->findChild<QCheckBox*>("1640"), Qt::LeftButton);
        rig.model.ClearLog();
        rig.Send();
        QVERIFY(rig.AllToModule());
        const auto writes = rig.model.Writes();
        QCOMPARE(writes.first(), (QPair<int, int64_t>{86, 0}));
        QCOMPARE(writes.at(1), (QPair<int, int64_t>{8, 10000}));
        QCOMPARE(writes.last(), (QPair<int, int64_t>{86, 1}));
        QCOMPARE(writes.size(), 3 + 30 * 5);  // value writes; texts are counted apart
        // The third entry goes to slot 2, slots 3..29 are cleared with default entries.
        CBusDevice& m = *rig.model.SmsModule();
        QCOMPARE(m.Text(160), QByteArray("+555"));
        QCOMPARE(m.Value(180), 4 | (2 << 8));
        QCOMPARE(m.Value(181), 75);
        for (int i = 3; i < 30; ++i) {
            QVERIFY(m.Text(100 + 30 * i).replace('\0', QByteArray()).isEmpty());
            QCOMPARE(m.Value(122 + 30 * i), 1);
            QCOMPARE(m.Value(124 + 30 * i), 5);
        }
        for (int i = 0; i < 3; ++i) QCOMPARE(page->Entries()[i].slot, i);
        // Test now sends the entry that is really in the slot.
        page->SelectRow(2);
        rig.ui.QueueAnswer(CUserInteraction::IdYes);
        rig.model.ClearLog();
        page->TestEntry();
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{2057, 2}}));
    }

    void badPinIsRefusedBeforeAnythingIsSent() {
        Rig rig;
        auto* page = rig.Page();
        QVERIFY(page);
        for (const char* pin : {"12a", "", "123"}) {
            auto* edit = page->findChild<QLineEdit*>("1632");
            edit->clear();
            QTest::keyClicks(edit, pin);
            if (edit->text().isEmpty()) { page->SetChanged(8); page->MarkModified(true); }
            rig.model.ClearLog();
            rig.Send();
            QVERIFY2(rig.model.Writes().isEmpty(), pin);
        }
    }

    void failedWriteRestoresTheActiveFlag() {
        Rig rig;
        auto* page = rig.Page();
        QVERIFY(page);
        CDeviceModel::Faults f;
        f.refuse = {89};
        rig.model.SetFaults(f);
        auto* number = page->findChild<QSpinBox*>("1649");
        number->setValue(300);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes().first(), (QPair<int, int64_t>{86, 0}));
        QCOMPARE(rig.model.Writes().last(), (QPair<int, int64_t>{86, 1}));
        QCOMPARE(rig.model.SmsModule()->Value(86), 1);
        QVERIFY(rig.ui.MessageIds().contains(42622));
        QVERIFY(page->IsModified());
    }

    void liveStateCycle() {
        Rig rig;
        auto* page = rig.Page();
        QVERIFY(page);
        CBusDevice& m = *rig.model.SmsModule();
        m.SetValue(2058, 400);
        m.SetValue(2059, 6);
        m.SetValue(2050, 0b1010);
        m.SetValue(2061, 77);
        m.SetValue(2060, 615);
        rig.model.ClearLog();
        for (int i = 0; i < 6; ++i) page->RefreshTick();
        QList<int> reads;
        for (const Access& a : rig.model.Log()) reads << a.number;
        QCOMPARE(reads, (QList<int>{2058, 2059, 2050, 2051, 2060, 2061}));
        QVERIFY(rig.AllToModule());
        QVERIFY(page->findChild<QPushButton*>("1569")->isEnabled());  // PUK only in state 6
        QVERIFY(page->findChild<QCheckBox*>("1643")->isChecked());
        QVERIFY(!page->findChild<QCheckBox*>("1642")->isChecked());
        QCOMPARE(page->findChild<QLabel*>("1648")->text(), QStringLiteral("77"));
        QCOMPARE(page->findChild<QTimeEdit*>("1001")->time(), QTime(10, 15));
        m.SetValue(2059, 12);  // no text of its own: a neutral one with the number
        page->RefreshTick();
        page->RefreshTick();
        QVERIFY(page->findChild<QLabel*>("1308")->text().contains("12"));
        QVERIFY(!page->findChild<QPushButton*>("1569")->isEnabled());
    }

    void entryDialogConditionsByEvent() {
        CSMS e;
        CEditSMS dialog(e);
        auto* condition = dialog.findChild<QComboBox*>("1635");
        const struct { int event; QList<int> conditions; } cases[] = {
            {0, {}}, {2, {}}, {1, {2, 3}}, {3, {2, 3, 0, 1}}, {9, {2, 3, 0, 1}}};
        for (const auto& c : cases) {
            dialog.SelectEvent(c.event);
            QList<int> offered;
            for (int k = 0; k < condition->count(); ++k) offered << condition->itemData(k).toInt();
            QCOMPARE(offered, c.conditions);
            QCOMPARE(dialog.findChild<QTimeEdit*>("1578")->isVisibleTo(&dialog), !c.conditions.isEmpty());
            QCOMPARE(dialog.findChild<QLineEdit*>("1658")->isVisibleTo(&dialog), c.event == 2);
            QCOMPARE(dialog.findChild<QCheckBox*>("1637")->isVisibleTo(&dialog), c.event != 3);
        }
        auto* events = dialog.findChild<QComboBox*>("1639");
        QCOMPARE(events->itemData(1).toInt(), 2);
        QCOMPARE(events->itemData(2).toInt(), 1);
    }

    // The text keeps its line breaks (CR LF on the module, one line break in the editor),
    // counts them as two of its 20 characters, and is filtered when it is taken over.
    void entryTextKeepsLineBreaks() {
        CSMS stored;
        stored.text = QStringLiteral("Hi\r\nyou");
        const struct { const char* first; const char* second; const char* want; } cases[] = {
            {nullptr, nullptr, "Hi\r\nyou"},                        // taken over unchanged
            {"Tank", "hot \xc3\xbc 1234567890123", "Tank\r\nhot ue 1234567"},
            {"ab", "", "ab\r\n"},
        };
        for (const auto& c : cases) {
            CEditSMS d(c.first ? CSMS() : stored);
            d.show();
            auto* text = d.findChild<QPlainTextEdit*>(QString::number(CEditSMS::IdText));
            QVERIFY(text);
            if (!c.first) QCOMPARE(text->toPlainText(), QStringLiteral("Hi\nyou"));
            if (c.first) {
                text->setFocus();
                QTest::keyClicks(text, QString::fromUtf8(c.first));
                QTest::keyClick(text, Qt::Key_Return);
                // Character by character, as typed (keyClicks knows no umlauts).
                for (QChar ch : QString::fromUtf8(c.second)) text->insertPlainText(QString(ch));
            }
            d.accept();
            QCOMPARE(d.Record().text, QString::fromUtf8(c.want));
        }
    }

    // The modem terminal over a real serial line (a socat pseudo-terminal pair) against the
    // module's terminal: greeting, typed lines echoed and answered, no bus frame mixed into
    // the stream, and the bus back after the closing escape. Over a network link the
    // diagnosis is refused before anything reaches 2056.
    void diagnosisTalksToTheModemOverASerialLine() {
        {
            Rig rig;
            rig.app.serviceMode = true;
            auto* page = rig.Page();
            QVERIFY(page);
            rig.model.ClearLog();
            page->OpenDiagnosis();
            QCOMPARE(rig.ui.MessageIds(), QList<int>{42625});
            QVERIFY(rig.model.Writes().isEmpty());
        }

        CSocatPair pair;
        QVERIFY2(pair.Start(), "socat is needed for the serial tests");
        CDeviceModel::Options o;
        o.sms = true;
        CSheetRig rig(o);
        rig.connection.smsModule = true;
        rig.connection.replyTimeout = 1000;
        CSmsModuleBehaviour module(rig.model);
        module.Attach(*rig.model.SmsModule());
        CDeviceModelServer server(rig.model);
        QVERIFY(server.ServeTty(pair.EndB()));
        rig.app.SetChannelFactory([&pair](const CConnection&) -> std::unique_ptr<CByteChannel> {
            auto port = std::make_unique<CSerialComm>(pair.EndA());
            if (!port->Open()) return nullptr;
            port->SetState(CSerialCommState());
            return port;
        });
        rig.app.serviceMode = true;
        // An alarm rule would read the controller's alarm at once, were the cycle let through.
        CEmail alarmRule;
        alarmRule.recipients = {QStringLiteral("keeper@example.org")};
        alarmRule.type = CEmail::OnAlarm;
        rig.app.EmailSettings().rules.append(alarmRule);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSMSModule>();
        QVERIFY(page);

        rig.ui.QueueAnswer(CUserInteraction::IdYes);  // question 463
        QString output, input;
        int opened = 0;
        bool transferHeld = false, cycleQuiet = false;
        WhenModalOpens<CSMSDiagnosis>(
            [&](CSMSDiagnosis* d) {
                // Polls until the modem has answered (bounded: each poll waits 100 ms at most).
                const auto until = [d](const QString& tail) {
                    for (int i = 0; i < 100 && !d->Output().endsWith(tail); ++i) d->Poll();
                };
                until(QStringLiteral("OK\n"));
                // The modem has the line: the alert cycle sends nothing meanwhile.
                transferHeld = rig.app.IsTransferInProgress();
                const qsizetype before = rig.model.Log().size();
                rig.app.EmailAlerts().RunAlertCycle();
                cycleQuiet = rig.model.Log().size() == before;
                QTest::keyClicks(d, QStringLiteral("ati"));
                QTest::keyClick(d, Qt::Key_Return);
                until(QStringLiteral("ati\nOK\n"));
                QTest::keyClicks(d, QStringLiteral("x"));
                QTest::keyClick(d, Qt::Key_Return);
                until(QStringLiteral("ERROR\n"));
                output = d->Output();
                input = d->Input();
                const QString shots = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
                if (!shots.isEmpty()) d->grab().save(shots + QStringLiteral("/sms-diagnosis-talking.png"));
                d->reject();
            },
            &opened);
        QTest::mouseClick(page->findChild<QPushButton*>(QString::number(CPropertyPageSMSModule::IdDiagnosis)),
                          Qt::LeftButton);
        QCOMPARE(opened, 1);
        QVERIFY(transferHeld && cycleQuiet);
        QVERIFY(!rig.app.IsTransferInProgress());
        QVERIFY(page->IsRefreshing());
        QCOMPARE(rig.ui.MessageIds(), QList<int>{463});
        QCOMPARE(output, QStringLiteral("AT\nOK\nati\nOK\nx\nERROR\n"));
        QCOMPARE(input, QStringLiteral("AT\nati\nx\n"));
        // The escape gave the line back to the bus, at the old timeout.
        QCOMPARE(rig.app.ReadParameter(0, true), uint16_t(0));

        // A module that refuses the terminal: the sheet's failure handling, and the page it
        // left does not poll on behind the General page.
        CDeviceModel::Faults refuse;
        refuse.refuse = {2056};
        rig.model.SetFaults(refuse);
        rig.ui.shown.clear();
        rig.ui.QueueAnswer(CUserInteraction::IdYes);
        page->OpenDiagnosis();
        QCOMPARE(rig.ui.MessageIds(), (QList<int>{463, 354}));
        QCOMPARE(rig.sheet->ActivePage(), rig.sheet->GeneralPage());
        QVERIFY(!page->IsRefreshing());
        rig.model.SetFaults({});
        server.Stop();
        QVERIFY(!module.InTerminal());
        bool switched = false;
        for (const Access& a : rig.model.Log())
            switched |= a.kind == Access::Write && a.number == 2056 && a.value == 1 && a.address == 34;
        QVERIFY(switched);
    }

    void screenshots() {
        // For looking at the dialogs: KORVALIS_SCREENSHOT_DIR=/tmp/shots
        const QString shots = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (shots.isEmpty()) return;
        for (int language : {CLanguage::English, CLanguage::German}) {
            const QString suffix = language == CLanguage::English ? "en" : "de";
            CSheetRig rig({}, language);
            const auto save = [&](QWidget& w, const QString& name) {
                w.show();
                CSheetRig::Settle();
                QVERIFY(w.grab().save(shots + QStringLiteral("/sms-%1-%2.png").arg(name, suffix)));
            };
            for (int event : {1, 2, 3, 9}) {
                CSMS e;
                e.recipient = "+4930123456";
                e.text = "Tank alarm";
                e.event = uint8_t(event);
                e.condition = event == 1 ? 3 : 0;
                e.minutes = 18 * 60 + 30;
                e.code = "AB12";
                CEditSMS dialog(e);
                save(dialog, QStringLiteral("entry-event%1").arg(event));
            }
            CEnterPUK puk;
            save(puk, QStringLiteral("puk"));
            CSMSDiagnosis diagnosis;
            save(diagnosis, QStringLiteral("diagnosis"));
        }
    }
};

QTEST_MAIN(CPropertyPageSMSModuleTest)
#include "CPropertyPageSMSModule_test.moc"
