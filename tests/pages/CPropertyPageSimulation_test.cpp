// SPDX-License-Identifier: GPL-3.0-or-later
// The simulation page against the device model: read order and conversions, limits applied
// when a field is left, the switch byte, the level bar and picture, and failures.
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimeEdit>

#include "support/ControlInput.h"
#include "pages/illumination/CLevelPicture.h"
#include "pages/illumination/CPropertyPageSimulation.h"
#include "support/CSheetRig.h"
#include "ui/page/CEditSpin.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;
const QList<int> kReadOrder{490, 491, 492, 493, 496, 497, 498, 712, 714};

void Seed(CDeviceModel& model) {
    CBusDevice& c = model.Controller();
    c.SetValue(490, 75);
    c.SetValue(491, 15);
    c.SetValue(492, 250);
    c.SetValue(493, 40);
    c.SetValue(496, 8 * 60 + 30);
    c.SetValue(497, 22 * 60 + 15);
    c.SetValue(498, 95);
    c.SetValue(712, 0xFF);
    c.SetValue(714, 33);
}

QString Text(CMyPropertyPage* page, int id) {
    return page->findChild<CEditSpin*>(QString::number(id))->text();
}

int PictureOf(CMyPropertyPage* page) {
    return page->findChild<CLevelPicture*>(QStringLiteral("1191"))->PictureNumber();
}

int BarOf(CMyPropertyPage* page) {
    return page->findChild<QProgressBar*>(QStringLiteral("1192"))->value();
}

// Every answer from this parameter on is lost.
void FailReadsFrom(CDeviceModel& model, int number) {
    model.Controller().beforeRead = [&model, number](CBusDevice&, int n) {
        if (n == number) {
            CDeviceModel::Faults f;
            f.dropRate = 1.0;
            model.SetFaults(f);
        }
    };
}
}  // namespace

class CPropertyPageSimulationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsInOrderAndShowsDisplayUnits() {
        CSheetRig rig;
        Seed(rig.model);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        auto* page = rig.Activate<CPropertyPageSimulation>();
        QVERIFY(page);
        QCOMPARE(rig.ReadNumbers(), kReadOrder);
        QVERIFY(page->IsRead());
        QCOMPARE(Text(page, 1005), QStringLiteral("75"));
        QCOMPARE(Text(page, 1007), QStringLiteral("1.5"));
        QCOMPARE(Text(page, 1008), QStringLiteral("25"));
        QCOMPARE(Text(page, 1006), QStringLiteral("40"));
        QCOMPARE(Text(page, 1014), QStringLiteral("33"));
        QCOMPARE(page->findChild<QTimeEdit*>(QStringLiteral("1188"))->time(), QTime(8, 30));
        QCOMPARE(page->findChild<QTimeEdit*>(QStringLiteral("1189"))->time(), QTime(22, 15));
        for (int id = 1015; id <= 1021; ++id)
            QVERIFY(page->findChild<QCheckBox*>(QString::number(id))->isChecked());
        QCOMPARE(BarOf(page), 95);
        QCOMPARE(PictureOf(page), 176);
        QVERIFY(!page->IsModified());
        QVERIFY(rig.ui.shown.isEmpty());
        // Activating it again reads nothing.
        rig.sheet->ActivatePage(rig.sheet->GeneralPage());
        rig.model.ClearLog();
        rig.sheet->ActivatePage(page);
        QVERIFY(rig.ReadNumbers().isEmpty());
    }

    void limitsAppliedWhenFieldIsLeft() {
        CSheetRig rig;
        Seed(rig.model);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSimulation>();
        rig.model.ClearLog();

        TypeAndLeave(page, 1007, QStringLiteral("0.5"));
        QCOMPARE(Text(page, 1007), QStringLiteral("1"));
        TypeAndLeave(page, 1006, QStringLiteral("120"));
        QCOMPARE(Text(page, 1006), QStringLiteral("90"));
        QVERIFY(page->IsModified());
        rig.Send();
        // Order of writing: 492, 493, 491, 490, ...
        QCOMPARE(rig.model.Writes(), (Writes{{493, 90}, {491, 10}}));
        QVERIFY(!page->IsModified());
        QCOMPARE(page->ChangedCount(), 0);
    }

    void surplusDecimalsTruncateWhenWritten() {
        CSheetRig rig;
        Seed(rig.model);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSimulation>();
        rig.model.ClearLog();
        TypeAndLeave(page, 1005, QStringLiteral("50.7"));
        TypeAndLeave(page, 1007, QStringLiteral("2.55"));
        TypeAndLeave(page, 1008, QStringLiteral("82.9"));
        QCOMPARE(Text(page, 1005), QStringLiteral("50.7"));
        QCOMPARE(Text(page, 1007), QStringLiteral("2.55"));
        rig.Send();
        // 82.9 x 10 is 828.999... in binary: still 829.
        QCOMPARE(rig.model.Writes(), (Writes{{492, 829}, {491, 25}, {490, 50}}));
    }

    void switchByteAndSingleTimeChange() {
        CSheetRig rig;
        Seed(rig.model);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSimulation>();
        rig.model.ClearLog();
        // Only the second time changed: only 497 goes out.
        page->findChild<QTimeEdit*>(QStringLiteral("1189"))->setTime(QTime(23, 5));
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{497, 23 * 60 + 5}}));

        // 0xFF was read; a click on any box sends the seven boxes with bit 7 clear.
        rig.model.ClearLog();
        QCheckBox* sunday = page->findChild<QCheckBox*>(QStringLiteral("1021"));
        sunday->click();
        sunday->click();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{712, 0x7F}}));
        rig.model.ClearLog();
        page->findChild<QCheckBox*>(QStringLiteral("1015"))->click();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{712, 0x7E}}));
        QCOMPARE(page->SwitchByte(), 0x7E);
    }

    void levelPicturesAndLimits_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("picture");
        QTest::newRow("0") << 0 << 0 << 148;
        QTest::newRow("7") << 7 << 7 << 148;
        QTest::newRow("8") << 8 << 8 << 149;
        QTest::newRow("50") << 50 << 50 << 155;
        QTest::newRow("92") << 92 << 92 << 160;
        QTest::newRow("95") << 95 << 95 << 176;
        QTest::newRow("100") << 100 << 100 << 162;
        // Values the bar cannot show are limited for both the bar and the picture.
        QTest::newRow("150") << 150 << 100 << 162;
        QTest::newRow("65535") << 65535 << 100 << 162;
        QTest::newRow("negative") << -1 << 100 << 162;  // read unsigned: 4294967295
    }

    void levelPicturesAndLimits() {
        QFETCH(int, raw);
        QFETCH(int, bar);
        QFETCH(int, picture);
        CSheetRig rig;
        Seed(rig.model);
        rig.model.Controller().SetValue(498, raw);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSimulation>();
        QCOMPARE(BarOf(page), bar);
        QCOMPARE(PictureOf(page), picture);
    }

    void pictureTable() {
        QCOMPARE(CLevelPicture::PictureNumber(0), 148);
        QCOMPARE(CLevelPicture::PictureNumber(12), 160);
        QCOMPARE(CLevelPicture::PictureNumber(13), 176);
        QCOMPARE(CLevelPicture::PictureNumber(14), 162);
        QCOMPARE(CLevelPicture::PictureNumber(27), 175);
        QCOMPARE(CLevelPicture::PictureNumber(28), 161);
        QCOMPARE(CLevelPicture::PictureNumber(99), 161);
        // Dark, half and full discs differ in lit area.
        auto lit = [](int index) {
            const QImage img = CLevelPicture::Render(index, 64);
            int n = 0;
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x)
                    if (qGray(img.pixel(x, y)) > 200) ++n;
            return n;
        };
        QVERIFY(lit(0) < 20);
        QVERIFY(lit(7) > lit(3));
        QVERIFY(lit(14) > lit(7));
        QVERIFY(lit(21) < lit(14));
    }

    void failedReadKeepsLevelAndLeavesPageUnread() {
        CSheetRig rig;
        Seed(rig.model);
        QVERIFY(rig.Connect());
        FailReadsFrom(rig.model, 712);
        rig.model.ClearLog();
        auto* page = rig.sheet->FindPage<CPropertyPageSimulation>();
        rig.sheet->ActivatePage(page);
        // The level read before the failure is shown; everything else stays as it was.
        QCOMPARE(BarOf(page), 95);
        QCOMPARE(PictureOf(page), 176);
        QCOMPARE(Text(page, 1005), QStringLiteral("0"));
        QCOMPARE(Text(page, 1007), QStringLiteral("1"));  // its lower limit before any read
        QVERIFY(!page->findChild<QCheckBox*>(QStringLiteral("1015"))->isChecked());
        QVERIFY(!page->IsRead());
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QVERIFY(rig.sheet->LinkError());
        QCOMPARE(rig.sheet->ActivePage(), rig.sheet->GeneralPage());
        QCOMPARE(rig.ReadNumbers().mid(0, 8), kReadOrder.mid(0, 8));
        QVERIFY(!rig.ReadNumbers().contains(714));
    }

    void refusedWriteStopsAndKeepsLaterFlags() {
        CSheetRig rig;
        Seed(rig.model);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageSimulation>();
        TypeAndLeave(page, 1008, QStringLiteral("30"));
        TypeAndLeave(page, 1006, QStringLiteral("20"));
        TypeAndLeave(page, 1014, QStringLiteral("5"));
        CDeviceModel::Faults f;
        f.refuse = {493};
        rig.model.SetFaults(f);
        rig.model.ClearLog();
        rig.Send();
        QCOMPARE(rig.model.Writes(), (Writes{{492, 300}, {493, 20}}));
        QVERIFY(page->IsModified());
        QVERIFY(page->IsChanged(493) && page->IsChanged(714));
        rig.model.SetFaults({});
        rig.model.ClearLog();
        rig.sheet->ActivatePage(page);
        rig.Send();
        // The retry sends the failed value and the ones after it (492 went out already).
        QCOMPARE(rig.model.Writes(), (Writes{{492, 300}, {493, 20}, {714, 5}}));
        QVERIFY(!page->IsModified());
    }
};

QTEST_MAIN(CPropertyPageSimulationTest)
#include "CPropertyPageSimulation_test.moc"
