// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window: bar, item text, and a cancel that only works with a cancel flag.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QtTest>

#include "ui/services/CProgressDialog.h"

class CProgressDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void barAndItemText()
    {
        CProgressDialog d(nullptr, nullptr);
        d.show();
        d.SetCaption(QStringLiteral("Reading"));
        d.SetRange(100000);  // the bar has at most 65535 steps
        auto* bar = d.findChild<QProgressBar*>(QStringLiteral("1220"));
        QVERIFY(bar);
        QCOMPARE(bar->maximum(), 65535);
        d.Step();
        d.Step();
        QCOMPARE(d.Pos(), 2);
        QCOMPARE(bar->value(), 2);
        d.SetItemText(QStringLiteral("CODE_PRODUCTID"));
        QCOMPARE(d.findChild<QLabel*>(QStringLiteral("1238"))->text(), QStringLiteral("CODE_PRODUCTID"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Reading"));
        QCOMPARE(d.windowModality(), Qt::ApplicationModal);
    }

    void cancelSetsTheFlagAndCloses()
    {
        bool cancel = false;
        CProgressDialog d(nullptr, &cancel);
        d.show();
        auto* button = d.findChild<QPushButton*>(QStringLiteral("2"));
        QVERIFY(button && button->isVisible());
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(cancel);
        QVERIFY(!d.isVisible());
    }

    void withoutAFlagThereIsNoCancel()
    {
        CProgressDialog d(nullptr, nullptr);
        d.show();
        QVERIFY(!d.findChild<QPushButton*>(QStringLiteral("2"))->isVisible());
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(d.isVisible());
        d.close();
        QVERIFY(d.isVisible());
    }
};

QTEST_MAIN(CProgressDialogTest)
#include "CProgressDialog_test.moc"
