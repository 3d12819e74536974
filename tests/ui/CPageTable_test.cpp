// SPDX-License-Identifier: GPL-3.0-or-later
// The page table against the page classes the program registers: a misspelt class on either
// side would silently drop its page from every sheet.
#include <QSet>
#include <QTest>

#include "ui/page/CPageRegistry.h"
#include "ui/page/CPageTable.h"

namespace {
// Classes the table names that are not written yet. A class leaves this list with the
// commit that registers it.
const QStringList kNotYetBuilt = {
};

QSet<QString> TableClasses() {
    QSet<QString> classes = {QLatin1String(CPageTable::kGeneralClass),
                             // chosen by firmware instead of the row's own class
                             QStringLiteral("CPropertyPageLevel304")};
    for (const CPageTable::Row& row : CPageTable::Rows())
        if (*row.className) classes << QLatin1String(row.className);
    for (int type = 0; type <= 255; ++type)
        if (!CPageTable::SensorPageClass(type).isEmpty()) classes << CPageTable::SensorPageClass(type);
    return classes;
}
}  // namespace

class CPageTableTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyRegisteredPageHasARow() {
        const QSet<QString> table = TableClasses();
        for (const QString& c : CPageRegistry::Classes())
            QVERIFY2(table.contains(c), qPrintable(c + " is registered but no table row names it"));
    }

    void everyRowNamesARegisteredPage() {
        for (const QString& c : TableClasses()) {
            const bool registered = CPageRegistry::IsRegistered(c);
            if (kNotYetBuilt.contains(c))
                QVERIFY2(!registered, qPrintable(c + " is registered now: take it off kNotYetBuilt"));
            else
                QVERIFY2(registered, qPrintable(c + " is named by the table but not registered"));
        }
    }
};

QTEST_MAIN(CPageTableTest)
#include "CPageTable_test.moc"
