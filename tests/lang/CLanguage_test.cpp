// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>

#include "lang/CLanguage.h"

class CLanguageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parsesEntriesEscapesAndComments()
    {
        CLanguage lang;
        lang.Parse("# comment\n12=Hello %1\r\n13 = two\\nlines\nbad line\n-4=neg\n99999=big\n14=a=b\n");
        QCOMPARE(lang.String(12), QStringLiteral("Hello %1"));
        QCOMPARE(lang.String(13), QStringLiteral(" two\nlines"));
        QCOMPARE(lang.String(14), QStringLiteral("a=b"));
        QVERIFY(!lang.Has(-4));
        QVERIFY(!lang.Has(99999));
        QCOMPARE(lang.Entries().size(), 3);
    }
    void placeholdersExpandOnce()
    {
        QCOMPARE(FormatPlaceholders("%1 and %2", {"x%2", "y"}), QStringLiteral("x%2 and y"));
        QCOMPARE(FormatPlaceholders("100%", {"a"}), QStringLiteral("100%"));
        QCOMPARE(FormatPlaceholders("%3", {"a"}), QStringLiteral("%3"));
    }
    void fileNamesOfTheThreeLanguages()
    {
        QCOMPARE(CLanguage::FileName(0), QStringLiteral("German.lang"));
        QCOMPARE(CLanguage::FileName(1), QStringLiteral("English.lang"));
        QCOMPARE(CLanguage::FileName(2), QStringLiteral("Alternative.lang"));
        QVERIFY(CLanguage::FileName(3).isEmpty());
        QVERIFY(CLanguage::FileName(-1).isEmpty());
    }
};

QTEST_GUILESS_MAIN(CLanguageTest)
#include "CLanguage_test.moc"
