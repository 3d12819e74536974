// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware warning dialog: OK only while the confirmation is ticked.
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include "lang/CLanguage.h"
#include "pages/system/CDownloadWarning.h"

class CDownloadWarningTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English))); }

    void okFollowsTheCheckBox()
    {
        CDownloadWarning dlg;
        dlg.show();
        auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("1"));
        auto* confirm = dlg.findChild<QCheckBox*>(QStringLiteral("1305"));
        auto* text = dlg.findChild<QTextEdit*>(QStringLiteral("1306"));
        QVERIFY(ok && confirm && text);
        QVERIFY(!confirm->isChecked());
        QVERIFY(!ok->isEnabled());
        QVERIFY(text->isReadOnly());
        const QString shown = text->toPlainText();
        QVERIFY(shown.startsWith(Tr(199).trimmed()));
        QVERIFY(shown.indexOf(Tr(210).trimmed()) > shown.indexOf(Tr(209).trimmed()));
        QVERIFY(shown.trimmed().endsWith(Tr(223).trimmed()));

        // Enter does not confirm an unread warning.
        QTest::keyClick(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        dlg.show();
        QTest::mouseClick(confirm, Qt::LeftButton);
        QVERIFY(ok->isEnabled());
        QTest::mouseClick(confirm, Qt::LeftButton);
        QVERIFY(!ok->isEnabled());
        QTest::mouseClick(confirm, Qt::LeftButton);

        const QByteArray shots = qgetenv("KORVALIS_SCREENSHOTS");
        if (!shots.isEmpty())
            dlg.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/CDownloadWarning.png"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(CDownloadWarningTest)
#include "CDownloadWarning_test.moc"
