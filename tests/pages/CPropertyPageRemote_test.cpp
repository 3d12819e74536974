// SPDX-License-Identifier: GPL-3.0-or-later
// The remote front panel: key hit-testing, display substitution and cursor, and the page
// against the device model.
#include <QLabel>
#include <QTest>

#include "pages/remote/CFrontKorvalisB.h"
#include "pages/remote/CKorvalisKeyArray.h"
#include "pages/remote/CPropertyPageRemote.h"
#include "support/CSheetRig.h"

namespace {
using Access = CDeviceModel::Access;

QByteArray Attributes(uint8_t first, int cursorByte = -1)
{
    QByteArray a(8, '\0');
    a[0] = static_cast<char>(first);
    if (cursorByte >= 0)
        a.append(static_cast<char>(cursorByte));
    return a;
}

CDeviceModel::Options Model(int product)
{
    CDeviceModel::Options o;
    o.productCode = product;
    return o;
}
}  // namespace

class CPropertyPageRemoteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findKeyPicksTheNearestSquare()
    {
        const CKorvalisKeyArray keys = CKorvalisKeyArray::PanelKeys();
        QCOMPARE(int(keys.FindKey(448, 25)), 6);   // keys 7 and 10 hold it; 10 is nearer
        QCOMPARE(int(keys.FindKey(433, 37)), 1);   // keys 6 and 10; 6 is nearer
        QCOMPARE(int(keys.FindKey(300, 100)), 0);
        QCOMPARE(int(keys.FindKey(26 - 15, 56 - 15)), 7);  // left and top edges are inside
        QCOMPARE(int(keys.FindKey(26 + 15, 56)), 0);       // the right edge is outside
    }

    void substitutionAndCursor()
    {
        CFrontKorvalisB front;
        CFrontKorvalisB::ResetBlinkCounter();
        QVERIFY(front.SetDisplay(QByteArray("12\x80" "C"), "line two", Attributes(0x05), false));
        QCOMPARE(front.ShownLine1(), QByteArray("12~C"));
        // Codes 9..11 show '|'; a code above 11 has no entry and leaves the byte alone.
        front.SetDisplay(QByteArray("\x80\x81"), "", QByteArray("\x0B\x0C", 2) + QByteArray(6, '\0'), false);
        QCOMPARE(front.ShownLine1(), QByteArray("|\x81"));
        // Fewer than eight attribute bytes: only those present substitute, and no cursor.
        front.SetDisplay(QByteArray("\x80\x81"), "", QByteArray("\x05", 1), false);
        QCOMPARE(front.ShownLine1(), QByteArray("~\x81"));
        QVERIFY(!front.CursorOn());
        // Exactly eight bytes: there is no cursor byte.
        front.SetDisplay("abcd", "", Attributes(0), false);
        QVERIFY(!front.CursorOn());
    }

    void cursorBlinksOnBothLines()
    {
        CFrontKorvalisB front;
        CFrontKorvalisB::ResetBlinkCounter();
        const QByteArray line1("ABCDEFGHIJKLMNOP"), line2("abcdefghijklmnop");
        // Counter 1..4: the character shows; 5..9: it is replaced by '_'.
        QVERIFY(front.SetDisplay(line1, line2, Attributes(0, 0x83), false));  // counter 1, changed
        QCOMPARE(front.ShownLine1(), line1);
        QVERIFY(!front.SetDisplay(line1, line2, Attributes(0, 0x83), false));  // 2: unchanged
        QVERIFY(!front.SetDisplay(line1, line2, Attributes(0, 0x83), false));  // 3
        QVERIFY(!front.SetDisplay(line1, line2, Attributes(0, 0x83), false));  // 4
        QVERIFY(front.SetDisplay(line1, line2, Attributes(0, 0x83), false));   // 5: blink phase
        QCOMPARE(front.ShownLine1(), QByteArray("ABC_EFGHIJKLMNOP"));
        for (int i = 6; i <= 9; ++i)
            QVERIFY(!front.SetDisplay(line1, line2, Attributes(0, 0x83), false));
        QVERIFY(front.SetDisplay(line1, line2, Attributes(0, 0x83), false));  // 0: phase again
        QCOMPARE(front.ShownLine1(), line1);

        CFrontKorvalisB::ResetBlinkCounter();
        for (int i = 1; i <= 4; ++i)
            front.SetDisplay(line1, line2, Attributes(0, 0xC2), false);
        QVERIFY(front.SetDisplay(line1, line2, Attributes(0, 0xC2), false));
        QCOMPARE(front.CursorPosition(), 66);
        QCOMPARE(front.ShownLine2(), QByteArray("ab_defghijklmnop"));
        QCOMPARE(front.ShownLine1(), line1);
        // Without a cursor an unchanged display never repaints, whatever the phase.
        QVERIFY(front.SetDisplay(line1, line2, Attributes(0), false));  // attributes changed
        for (int i = 0; i < 10; ++i)
            QVERIFY(!front.SetDisplay(line1, line2, Attributes(0), false));
        QVERIFY(front.SetDisplay(line1, line2, Attributes(0), true));  // the lamp changed
    }

    void refreshReadsDisplayAndLamp()
    {
        CSheetRig rig(Model(3));
        rig.model.Controller().SetText(1151, QByteArray("Temp 25.3\xA9" "C"));
        rig.model.Controller().SetText(1152, "pH   8.21");
        rig.model.Controller().SetText(1153, Attributes(0));
        rig.model.Controller().SetValue(1132, 0);
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageRemote>();
        QVERIFY(page);
        rig.model.ClearLog();
        page->RefreshTick();
        QList<int> reads;
        for (const Access& a : rig.model.Log())
            reads << a.number;
        QCOMPARE(reads.mid(0, 4), (QList<int>{1151, 1152, 1153, 1132}));
        QVERIFY(page->Front()->LampOn());
        QCOMPARE(CFrontKorvalisB::DisplayText(page->Front()->ShownLine1()), QStringLiteral("Temp 25.3\u00B0C"));

        // For looking at the page: KORVALIS_SCREENSHOT_DIR=/tmp/shots
        const QString shots = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            rig.sheet->resize(1000, 640);
            rig.sheet->show();
            CSheetRig::Settle();
            rig.sheet->grab().save(shots + QStringLiteral("/remote-page.png"));
        }
    }

    void modelWithoutLamp()
    {
        // Model A has no lamp: 1132 is not read.
        CSheetRig a(Model(2));
        QVERIFY(a.Connect());
        auto* pageA = a.Activate<CPropertyPageRemote>();
        a.model.ClearLog();
        pageA->RefreshTick();
        for (const Access& x : a.model.Log())
            QVERIFY(x.number != 1132);
        QVERIFY(!pageA->Front()->LampOn());
    }

    void keysWriteTheirCode()
    {
        CSheetRig rig(Model(4));
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageRemote>();
        rig.model.ClearLog();
        QTest::mouseClick(page->Front(), Qt::LeftButton, {}, QPoint(448, 25) + QPoint(CFrontKorvalisB::kMargin, CFrontKorvalisB::kMargin));
        QTest::mouseClick(page->Front(), Qt::LeftButton, {}, QPoint(300, 75) + QPoint(CFrontKorvalisB::kMargin, CFrontKorvalisB::kMargin));  // no key
        QTest::keyClick(page, Qt::Key_Escape);
        QTest::keyClick(page, Qt::Key_3);
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{1150, 6}, {1150, 5}, {1150, 10}}));
        QVERIFY(!rig.app.IsTransferInProgress());
    }

    void noRefreshInSimulation()
    {
        CSheetRig rig(Model(3));
        rig.app.simulationMode = true;
        QVERIFY(rig.Connect());
        auto* page = rig.Activate<CPropertyPageRemote>();
        QVERIFY(page);
        page->RefreshTick();
        QVERIFY(rig.model.Log().isEmpty());
        QVERIFY(page->Front()->ShownLine1().isEmpty());
    }
};

QTEST_MAIN(CPropertyPageRemoteTest)
#include "CPropertyPageRemote_test.moc"
