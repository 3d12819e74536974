// SPDX-License-Identifier: GPL-3.0-or-later
// The declared-field layer on a small page: read and write orders as declared, only changed
// parameters written, the stop at the first failure, clamps and spin ranges, signed reads,
// shared bit fields, untrusted list values, gates, declared enabling and the edit hook.
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QTest>

#include "support/ControlInput.h"
#include "app/FieldCodecs.h"
#include "support/CSheetRig.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageRegistry.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;

class CDeclaredPage : public CMyPropertyPage {
    Q_OBJECT
public:
    enum { IdSetpoint = 1, IdOffset, IdFlag, IdMode, IdChoice, IdGated, IdHigh };
    bool gateOpen = false;
    bool refuseEdits = false;
    QList<int> written;

protected:
    void DeclareFields() override {
        Real(601, IdSetpoint, 10).Range(15, 35).Spin(20, 30);
        Real(602, IdOffset, 100).Range(-5, 5).Signed();
        Check(603, IdFlag).Bits(1, 1);
        Combo(603, IdMode, {"a", "b", "c"}).Codec(
            [](uint32_t raw, int32_t) { return double(FieldCodecs::ThreeWayFromDevice(raw)); },
            [](double v, uint32_t raw) {
                return int64_t((raw & ~5u) | FieldCodecs::ThreeWayToDevice(int(v), false));
            });
        Combo(604, IdChoice, {"x", "y"}).Offset(1);
        Real(605, IdGated).When([this] { return gateOpen; });
        Real(606, IdHigh).Range(0, 100);
        ReadOrder({603, 601, 602, 604, 605, 606});
        WriteOrder({606, 602, 601, 603, 604, 605});
        EnableWhen({IdFlag}, [this] { return FieldAt(IdMode)->Index() != 0; });
    }
    void CreateControls() override {
        auto* form = new QFormLayout(this);
        for (int id : {IdSetpoint, IdOffset, IdFlag, IdMode, IdChoice, IdGated, IdHigh})
            form->addRow(QString::number(id), Control(id));
    }
    bool AcceptEdit(int) override { return !refuseEdits; }
    void OnWritten(int key) override { written << key; }
};

struct Rig {
    CSheetRig sheet;
    CDeclaredPage* page = nullptr;
    explicit Rig(std::initializer_list<std::pair<int, int64_t>> values, bool gate = false) {
        for (auto [n, v] : values) sheet.model.Controller().SetValue(n, v);
        if (!sheet.Connect()) return;
        sheet.model.ClearLog();
        // The page is made on activation: the gate must be set before it reads.
        page = qobject_cast<CDeclaredPage*>(
            sheet.sheet->FindPage(QStringLiteral("CPropertyPageMemories")));
        if (!page) return;
        page->gateOpen = gate;
        sheet.sheet->ActivatePage(page);
    }
};
}  // namespace

class CPageFieldsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        CPageRegistry::Register(QStringLiteral("CPropertyPageMemories"),
                                [] { return new CDeclaredPage; });
    }

    void readsInDeclaredOrderWithFactorsSignsAndBits() {
        {
            // One application at a time: the gated page first.
            Rig gated({}, true);
            QVERIFY(gated.page);
            QCOMPARE(gated.sheet.ReadNumbers(), (QList<int>{603, 601, 602, 604, 605, 606}));
        }
        Rig rig({{601, 253}, {602, uint32_t(-150)}, {603, 0b111}, {604, 2}, {606, 7}});
        QVERIFY(rig.page);
        // 605 is gated off: neither read nor counted.
        QCOMPARE(rig.sheet.ReadNumbers(), (QList<int>{603, 601, 602, 604, 606}));
        QCOMPARE(rig.sheet.ui.progressMax, 5);
        QCOMPARE(rig.page->FieldAt(CDeclaredPage::IdSetpoint)->Value(), 25.3);
        QCOMPARE(rig.page->FieldAt(CDeclaredPage::IdOffset)->Value(), -1.5);
        QVERIFY(rig.page->FieldAt(CDeclaredPage::IdFlag)->IsChecked());
        QCOMPARE(rig.page->ControlAs<QComboBox>(CDeclaredPage::IdMode)->currentIndex(), 2);
        QCOMPARE(rig.page->ControlAs<QComboBox>(CDeclaredPage::IdChoice)->currentIndex(), 1);
        QVERIFY(rig.page->Control(CDeclaredPage::IdFlag)->isEnabled());
    }

    void writesOnlyChangedParametersInWriteOrder() {
        Rig rig({{601, 253}, {603, 0b1000 | 1}, {604, 1}});
        QVERIFY(rig.page);
        TypeAndLeave(rig.page, CDeclaredPage::IdSetpoint, QStringLiteral("8.29"));  // clamped
        TypeAndLeave(rig.page, CDeclaredPage::IdHigh, QStringLiteral("42"));
        rig.page->ControlAs<QCheckBox>(CDeclaredPage::IdFlag)->setChecked(true);
        rig.sheet.model.ClearLog();
        rig.sheet.Send();
        // Bit 3 of 603 was no field's: it goes back as the controller had it.
        QCOMPARE(rig.sheet.model.Writes(), (Writes{{606, 42}, {601, 150}, {603, 0b1011}}));
        QCOMPARE(rig.page->written, (QList<int>{606, 601, 603}));
        QVERIFY(!rig.page->IsModified());

        // Selection 0 disables the flag; writing it keeps the flag bit as it stands.
        rig.page->ControlAs<QComboBox>(CDeclaredPage::IdMode)->setCurrentIndex(0);
        QVERIFY(!rig.page->Control(CDeclaredPage::IdFlag)->isEnabled());
        rig.sheet.model.ClearLog();
        rig.sheet.Send();
        QCOMPARE(rig.sheet.model.Writes(), (Writes{{603, 0b1010}}));
    }

    void untrustedListValuesShowNothingAndGoBackUnchanged() {
        Rig rig({{604, 9}, {603, 0b1000}});
        QVERIFY(rig.page);
        QCOMPARE(rig.page->ControlAs<QComboBox>(CDeclaredPage::IdChoice)->currentIndex(), -1);
        // Another field's edit writes only its own parameter; 604 is not touched.
        rig.page->ControlAs<QCheckBox>(CDeclaredPage::IdFlag)->setChecked(true);
        rig.sheet.model.ClearLog();
        rig.sheet.Send();
        QCOMPARE(rig.sheet.model.Writes(), (Writes{{603, 0b1010}}));
        // Marking everything changed writes 604 back as it came.
        rig.page->MarkAllChanged();
        rig.sheet.model.ClearLog();
        rig.sheet.Send();
        QCOMPARE(rig.sheet.model.Writes().size(), 5);
        QVERIFY(rig.sheet.model.Writes().contains(qMakePair(604, int64_t(9))));
    }

    void aFailedWriteStopsAndKeepsTheFlags() {
        Rig rig({});
        QVERIFY(rig.page);
        TypeAndLeave(rig.page, CDeclaredPage::IdHigh, QStringLiteral("5"));
        TypeAndLeave(rig.page, CDeclaredPage::IdOffset, QStringLiteral("-2.5"));
        TypeAndLeave(rig.page, CDeclaredPage::IdSetpoint, QStringLiteral("30"));
        rig.sheet.model.Controller().SetReadOnly(602);
        rig.sheet.model.ClearLog();
        rig.sheet.Send();
        QCOMPARE(rig.sheet.ui.MessageIds(), QList<int>{354});
        QVERIFY(rig.page->IsModified());
        QVERIFY(rig.page->IsChanged(602) && rig.page->IsChanged(601));
        QCOMPARE(rig.page->written, QList<int>{606});
    }

    void refusedEditsChangeNothing() {
        Rig rig({{601, 200}});
        QVERIFY(rig.page);
        rig.page->refuseEdits = true;
        TypeAndLeave(rig.page, CDeclaredPage::IdSetpoint, QStringLiteral("3"));
        rig.page->ControlAs<QComboBox>(CDeclaredPage::IdChoice)->setCurrentIndex(1);
        QVERIFY(!rig.page->IsModified());
        QCOMPARE(rig.page->ControlAs<CEditSpin>(CDeclaredPage::IdSetpoint)->value(), 20.0);
        QCOMPARE(rig.page->ControlAs<QComboBox>(CDeclaredPage::IdChoice)->currentIndex(), -1);
    }
};

QTEST_MAIN(CPageFieldsTest)
#include "CPageFields_test.moc"
