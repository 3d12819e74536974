// SPDX-License-Identifier: GPL-3.0-or-later
// The digital-input and 1-10 V pages against the device model: reads and writes in order for
// models with four and ten interfaces, millivolts, source texts, the two editors with their
// untrusted bytes and voltages, live input states, and the lamp and heater programming
// dialogs with their confirmations and refusals.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "lang/CLanguage.h"
#include "pages/interfaces/CEditDigitalInput.h"
#include "pages/interfaces/CEditOneToTenVInt.h"
#include "pages/interfaces/CPropertyPageDigitalInput.h"
#include "pages/interfaces/CPropertyPageOneToTenVInterface300.h"
#include "pages/interfaces/CProgLED.h"
#include "pages/interfaces/CProgPTC.h"
#include "params/CDescriptionLists.h"
#include "support/CSheetRig.h"
#include "support/ControlInput.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CRecordList.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
using DI = CPropertyPageDigitalInput;
using V = CPropertyPageOneToTenVInterface300;
using Edit = CEditOneToTenVInt;

template <class T>
T* Find(QWidget* w, int id) {
    return w->findChild<T*>(QString::number(id));
}

CDeviceModel::Options At(int firmware, int productCode = 4) {
    CDeviceModel::Options o;
    o.firmware = firmware;
    o.productCode = productCode;
    return o;
}

// Interface k: source byte sources[k] (default: illumination channel k + 1), 1.0 ... 10.0 V.
void SeedInterfaces(CBusDevice& c, int count, const QMap<int, int>& sources = {}) {
    for (int k = 0; k < count; ++k) {
        c.SetValue(V::LowerParameter(k), 1000 + k);
        c.SetValue(V::UpperParameter(k), 10000 - k);
        c.SetValue(V::SourceParameter(k), sources.value(k, (k & 7) << 5));
    }
}

double Volts(QWidget* dialog, int id) {
    return Find<CEditSpin>(dialog, id)->value();
}
}  // namespace

class InterfacePagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // --- digital inputs ------------------------------------------------------------------

    void digitalInputsReadEditAndWrite() {
        CSheetRig rig(At(408));
        rig.app.dataFolder = m_dir.path();
        CBusDevice& c = rig.model.Controller();
        for (int i = 0; i < 4; ++i) c.SetValue(DI::FunctionParameter(i), QList<int>{2, 7, 50, 0}[i]);
        c.SetValue(DI::kStates, 5);
        QVERIFY(rig.Connect());
        rig.app.descriptionLists[CDescriptionLists::DigitalInput][2] = QStringLiteral("Door");
        rig.model.ClearLog();
        auto* page = rig.Activate<DI>();
        QVERIFY(page && page->IsRead());
        QCOMPARE(rig.ReadNumbers(), (QList<int>{723, 724, 725, 726}));
        auto* list = Find<CRecordList>(page, DI::IdList);
        QCOMPARE(list->Text(0, 1), Tr(408));
        QCOMPARE(list->Text(1, 1), QString());  // 7 is no function
        QCOMPARE(list->Text(2, 1), Tr(144));
        QCOMPARE(list->Text(3, 1), Tr(368));
        QCOMPARE(list->Text(2, 2), QStringLiteral("Door"));

        // Live states: bit i ticks row i; the user cannot tick them.
        rig.model.ClearLog();
        page->RefreshTick();
        QCOMPARE(rig.ReadNumbers().value(0), DI::kStates);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(list->topLevelItem(i)->checkState(0), i == 0 || i == 2 ? Qt::Checked : Qt::Unchecked);
            QVERIFY(!(list->topLevelItem(i)->flags() & Qt::ItemIsUserCheckable));
        }
        c.SetValue(DI::kStates, 0xFA);  // bits beyond the four inputs mean nothing
        page->RefreshTick();
        QCOMPARE(page->States(), 0x0Au);

        // Function 7: no choice, a neutral text with the number, and OK keeps the byte.
        WhenModalOpens<CEditDigitalInput>([](CEditDigitalInput* d) {
            auto* box = Find<QComboBox>(d, CEditDigitalInput::IdFunction);
            QCOMPARE(box->currentIndex(), -1);
            QVERIFY(box->placeholderText().contains(QLatin1String("7")));
            QStringList offered;
            for (int k = 0; k < box->count(); ++k) offered << box->itemText(k);
            QCOMPARE(offered, (QStringList{Tr(408), Tr(393), Tr(470), Tr(144), Tr(368)}));
            QTest::keyClicks(Find<QLineEdit>(d, CEditDigitalInput::IdName), QStringLiteral("Float, \"top\""));
            d->accept();
        });
        QVERIFY(page->EditInput(1));
        // Input 1 becomes maintenance (the dialog's second item).
        WhenModalOpens<CEditDigitalInput>([](CEditDigitalInput* d) {
            QCOMPARE(Find<QComboBox>(d, CEditDigitalInput::IdFunction)->currentIndex(), 0);
            Find<QComboBox>(d, CEditDigitalInput::IdFunction)->setCurrentIndex(1);
            d->accept();
        });
        QVERIFY(page->EditInput(0));
        QCOMPARE(list->Text(0, 1), Tr(393));

        // A refused write stops there: flags and the unwritten name stay for the retry.
        CDeviceModel::Faults f;
        f.refuse = {724};
        rig.model.SetFaults(f);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.ui.MessageIds().last(), 354);
        QVERIFY(page->IsModified());
        QCOMPARE(rig.app.descriptionLists[CDescriptionLists::DigitalInput][1], QString());
        QCOMPARE(rig.app.descriptionLists[CDescriptionLists::DigitalInput][0], QString());
        rig.model.SetFaults({});
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{723, 18}, {724, 7}}));
        QCOMPARE(rig.app.descriptionLists[CDescriptionLists::DigitalInput][1], QStringLiteral("Float, \"top\""));
        QVERIFY(!page->IsModified());
    }

    // --- 1-10 V interfaces -----------------------------------------------------------------

    void interfacesReadAndWriteTheModelsParameters_data() {
        QTest::addColumn<int>("productCode");
        QTest::addColumn<int>("count");
        QTest::newRow("Korvalis E: four") << 5 << 4;
        QTest::newRow("Korvalis D: ten") << 4 << 10;
    }
    void interfacesReadAndWriteTheModelsParameters() {
        QFETCH(int, productCode);
        QFETCH(int, count);
        CSheetRig rig(At(408, productCode));
        rig.app.dataFolder = m_dir.path();
        SeedInterfaces(rig.model.Controller(), 10);
        rig.model.Controller().SetValue(V::LowerParameter(1), 1500);
        rig.model.Controller().SetValue(V::UpperParameter(1), 10000);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<V>();
        QVERIFY(page && page->IsRead());
        QList<int> reads;
        Writes writes;
        for (int k = 0; k < count; ++k) {
            reads << V::SourceParameter(k) << V::LowerParameter(k) << V::UpperParameter(k);
            const int lower = k == 1 ? 1500 : 1000 + k, upper = k == 1 ? 10000 : 10000 - k;
            writes << qMakePair(V::SourceParameter(k), int64_t((k & 7) << 5)) << qMakePair(V::LowerParameter(k), int64_t(lower))
                   << qMakePair(V::UpperParameter(k), int64_t(upper));
        }
        QCOMPARE(rig.ReadNumbers(), reads);
        QCOMPARE(*std::max_element(reads.begin(), reads.end()), count == 4 ? 671 : 859);
        auto* list = Find<CRecordList>(page, V::IdList);
        QCOMPARE(list->topLevelItemCount(), count);
        QCOMPARE(list->Text(count - 1, 0), QStringLiteral("L%1").arg(count));
        QCOMPARE(list->Text(1, 2), QStringLiteral("1.5"));
        QCOMPARE(list->Text(1, 3), QStringLiteral("10"));
        QCOMPARE(list->Text(2, 2), QStringLiteral("1.002"));
        QCOMPARE(page->Interface(1).lowerVoltage, 1.5);

        rig.model.ClearLog();
        page->MarkAllChanged();
        rig.Send();
        QCOMPARE(rig.model.Writes(), writes);
    }

    void sourceTexts_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("text");
        // Model D: inputs 1..4 are pH, temperature, conductivity (sea water), redox.
        QTest::newRow("illumination 1") << 0x00 << Tr(258) + " 1";
        QTest::newRow("pump 4") << 0x61 << Tr(366) + " 4";
        QTest::newRow("variable illumination 8") << 0xE3 << Tr(462) + " 8";
        QTest::newRow("sensor input 3") << 0x42 << "@2 " + Tr(254);
        QTest::newRow("sensor input without a sensor") << 0xA2 << Tr(36210) + " 6 " + Tr(254);
        QTest::newRow("single function") << 31 << Tr(368);
        QTest::newRow("unknown code with index") << 0x25 << QString();
        QTest::newRow("unknown code without index") << 0x12 << QString();
    }
    void sourceTexts() {
        QFETCH(int, source);
        QFETCH(QString, text);
        CSheetRig rig(At(408));
        SeedInterfaces(rig.model.Controller(), 10, {{0, source}});
        QVERIFY(rig.Connect());
        if (text.startsWith('@')) text = rig.app.Sensors()[size_t(text.mid(1, 1).toInt())].title + text.mid(2);
        auto* page = rig.Activate<V>();
        QCOMPARE(Find<CRecordList>(page, V::IdList)->Text(0, 1), text);
    }

    void editorSourcesIndexesAndVoltages() {
        CSheetRig rig(At(408));
        rig.app.dataFolder = m_dir.path();
        SeedInterfaces(rig.model.Controller(), 10, {{2, 0x42}});
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<V>();
        WhenModalOpens<Edit>([&rig](Edit* d) {
            QCOMPARE(d->windowTitle(), Tr(253) + " 3");
            auto* source = Find<QComboBox>(d, Edit::IdSource);
            auto* index = Find<QComboBox>(d, Edit::IdIndex);
            QCOMPARE(source->currentText(), rig.app.Sensors()[2].title);
            QCOMPARE(index->count(), 1);
            QCOMPARE(index->currentText(), Tr(254));
            QVERIFY(index->isVisibleTo(d));
            TypeAndLeave(d, Edit::IdUpper, QStringLiteral("12"));
            QCOMPARE(Volts(d, Edit::IdUpper), 10.0);
            TypeAndLeave(d, Edit::IdLower, QStringLiteral("5"));
            QCOMPARE(Volts(d, Edit::IdLower), 4.0);
            TypeAndLeave(d, Edit::IdLower, QStringLiteral("1.5"));
            // Pump 4: the index list restarts at the first pump.
            source->setCurrentIndex(source->findData(1));
            QCOMPARE(index->count(), 4);
            QCOMPARE(index->currentIndex(), 0);
            index->setCurrentIndex(3);
            Find<QLineEdit>(d, Edit::IdName)->setText(QStringLiteral("Moon"));
            d->accept();
        });
        QVERIFY(page->EditInterface(2));
        QCOMPARE(Find<CRecordList>(page, V::IdList)->Text(2, 1), Tr(366) + " 4");
        // The single function hides the index box and stores 31.
        WhenModalOpens<Edit>([](Edit* d) {
            auto* source = Find<QComboBox>(d, Edit::IdSource);
            source->setCurrentIndex(source->findData(31));
            QVERIFY(!Find<QComboBox>(d, Edit::IdIndex)->isVisibleTo(d));
            d->accept();
        });
        QVERIFY(page->EditInterface(5));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{668, 0x61}, {666, 1500}, {667, 10000},
                                             {677, 31}, {675, 1005}, {676, 9995}}));
        QFile names(m_dir.path() + "/123456/OneToTenVDescriptions.dat");
        QVERIFY(names.open(QIODevice::ReadOnly));
        QCOMPARE(names.readAll(), QByteArray("\r\n\r\nMoon\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"));
        rig.Read();
        QCOMPARE(page->Interface(2).name, QStringLiteral("Moon"));
    }

    void editorKeepsWhatTheDeviceHeldUntilTheUserChanges() {
        CSheetRig rig(At(408));
        CBusDevice& c = rig.model.Controller();
        SeedInterfaces(c, 10, {{0, 0x05}, {1, 0xA1}});
        c.SetValue(V::LowerParameter(0), 5000);   // beyond 4 V
        c.SetValue(V::UpperParameter(0), 11000);  // beyond 10 V
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<V>();
        QCOMPARE(Find<CRecordList>(page, V::IdList)->Text(0, 2), QStringLiteral("5"));
        WhenModalOpens<Edit>([](Edit* d) {
            QCOMPARE(Find<QComboBox>(d, Edit::IdSource)->currentIndex(), -1);
            QVERIFY(!Find<QComboBox>(d, Edit::IdIndex)->isVisibleTo(d));
            QCOMPARE(Volts(d, Edit::IdLower), 5.0);
            QCOMPARE(Volts(d, Edit::IdUpper), 11.0);
            Find<QLineEdit>(d, Edit::IdName)->setText(QStringLiteral("Spare"));
            d->accept();
        });
        QVERIFY(page->EditInterface(0));
        // Pump 6 is beyond the dialog's four pumps: kept as it came.
        WhenModalOpens<Edit>([](Edit* d) {
            auto* index = Find<QComboBox>(d, Edit::IdIndex);
            QCOMPARE(index->currentText(), QStringLiteral("6"));
            TypeAndLeave(d, Edit::IdUpper, QStringLiteral("7.25"));
            d->accept();
        });
        QVERIFY(page->EditInterface(1));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{662, 0x05}, {660, 5000}, {661, 11000}, {665, 0xA1}, {663, 1001}, {664, 7250}}));
        // Once the user edits an out-of-range voltage it is clamped.
        WhenModalOpens<Edit>([](Edit* d) {
            TypeAndLeave(d, Edit::IdUpper, QStringLiteral("10.5"));
            QCOMPARE(Volts(d, Edit::IdUpper), 10.0);
            QCOMPARE(Volts(d, Edit::IdLower), 5.0);
            d->accept();
        });
        QVERIFY(page->EditInterface(0));
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{662, 0x05}, {660, 5000}, {661, 10000}}));
    }

    // --- programming dialogs ---------------------------------------------------------------

    void heaterButtonFromFirmware402_data() {
        QTest::addColumn<int>("firmware");
        QTest::newRow("4.01") << 401;
        QTest::newRow("4.02") << 402;
    }
    void heaterButtonFromFirmware402() {
        QFETCH(int, firmware);
        CSheetRig rig(At(firmware));
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<V>();
        QCOMPARE(Find<QPushButton>(page, V::IdProgPTC)->isEnabled(), firmware >= 402);
        QVERIFY(Find<QPushButton>(page, V::IdProgLED)->isEnabled());
        QVERIFY(!Find<QPushButton>(page, V::IdEdit)->isEnabled());
        Find<CRecordList>(page, V::IdList)->SelectRow(0);
        QVERIFY(Find<QPushButton>(page, V::IdEdit)->isEnabled());
    }

    void programmingDialogsConfirmAndReportFailures_data() {
        QTest::addColumn<bool>("lamp");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("value");
        QTest::newRow("lamp entry 4") << true << 4 << 100;
        QTest::newRow("lamp entry 3") << true << 3 << 225;
        QTest::newRow("heater entry 2") << false << 2 << 4;
    }
    void programmingDialogsConfirmAndReportFailures() {
        QFETCH(bool, lamp);
        QFETCH(int, entry);
        QFETCH(int, value);
        CSheetRig rig(At(408));
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<V>();
        const int parameter = lamp ? CProgLED::kParameter : CProgPTC::kParameter;
        const int question = lamp ? 273 : 370;
        rig.model.ClearLog();
        rig.ui.shown.clear();
        int seen = 0;
        WhenModalOpens<CProgCommandDialog>(
            [&](CProgCommandDialog* d) {
                QCOMPARE(d->objectName(), QString::number(lamp ? 226 : 23179));
                QCOMPARE(d->findChildren<QRadioButton*>().size(), lamp ? 7 : 3);
                auto* ok = Find<QPushButton>(d, 1);
                QVERIFY(!ok->isEnabled());
                d->accept();  // no choice: nothing happens
                QVERIFY(d->isVisible());
                Find<QRadioButton>(d, CProgCommandDialog::IdChoice + entry)->click();
                QVERIFY(ok->isEnabled());
                // Cancel in the question returns to the dialog.
                rig.ui.QueueAnswer(CUserInteraction::IdCancel);
                ok->click();
                QVERIFY(d->isVisible());
                QVERIFY(rig.model.Writes().isEmpty());
                // A refused command is reported and the dialog stays for another try.
                CDeviceModel::Faults f;
                f.refuse = {parameter};
                rig.model.SetFaults(f);
                rig.ui.QueueAnswer(CUserInteraction::IdOk);
                ok->click();
                QVERIFY(d->isVisible());
                rig.model.SetFaults({});
                rig.ui.QueueAnswer(CUserInteraction::IdOk);
                ok->click();
                QVERIFY(!d->isVisible());
            },
            &seen);
        lamp ? page->ProgramLamp() : page->ProgramHeater();
        QCOMPARE(seen, 1);
        QCOMPARE(rig.ui.MessageIds(), (QList<int>{question, question, 354, question}));
        // The refused try and the one that went through.
        QCOMPARE(rig.model.Writes(), (Writes{{parameter, value}, {parameter, value}}));
        QVERIFY(!page->IsModified());
    }

    void cancelledProgrammingWritesNothing() {
        CSheetRig rig(At(408));
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<V>();
        rig.model.ClearLog();
        WhenModalOpens<CProgLED>([](CProgLED* d) { d->reject(); });
        page->ProgramLamp();
        QVERIFY(rig.model.Writes().isEmpty());
        QVERIFY(!rig.ui.MessageIds().contains(273));
    }

    void screenshots() {
        // For looking at the dialogs: KORVALIS_SCREENSHOT_DIR=/tmp/shots
        const QString shots = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (shots.isEmpty()) return;
        for (int language : {CLanguage::English, CLanguage::German}) {
            const QString suffix = language == CLanguage::English ? "en" : "de";
            CSheetRig rig(At(408), language);
            SeedInterfaces(rig.model.Controller(), 10, {{1, 0x61}, {2, 0x42}});
            QVERIFY(rig.Connect());
            rig.sheet->show();
            auto* v = rig.Activate<V>();
            CDigitalInputPara input{50, QStringLiteral("Door")};
            CEditDigitalInput di(input, 1, rig.sheet.get());
            CEditOneToTenVInt ov(rig.sheet.get(), v->Interface(2), 2);
            CProgLED led(rig.sheet.get());
            CProgPTC ptc(rig.sheet.get());
            const std::pair<QDialog*, const char*> dialogs[] = {
                {&di, "digital-input"}, {&ov, "one-to-ten"}, {&led, "prog-led"}, {&ptc, "prog-ptc"}};
            for (const auto& [dialog, name] : dialogs) {
                dialog->show();
                CSheetRig::Settle();
                QVERIFY(dialog->grab().save(shots + QStringLiteral("/%1-%2.png").arg(QLatin1String(name), suffix)));
                dialog->hide();
            }
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(InterfacePagesTest)
#include "InterfacePages_test.moc"
