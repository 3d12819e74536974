// SPDX-License-Identifier: GPL-3.0-or-later
// What a page sends is configuration, so a settings file must be able to carry it: every
// parameter a page writes on Send has to be in the shipped parameter list of the model and
// firmware version that shows the page. And the other way round: a number a page writes on
// some model or version, but not on this one, must not be in this one's list either.
#include <QHash>
#include <QSet>
#include <QtTest/QtTest>
#include <algorithm>

#include "base/ModelInfo.h"
#include "pages/system/CPropertyPageGeneral.h"
#include "params/CParameterArray.h"
#include "support/CSheetRig.h"
#include "support/ParameterListSeeding.h"
#include "support/TestPaths.h"

namespace {
using Access = CDeviceModel::Access;

constexpr uint8_t kSmsAddress = 34;

// Writes that are deliberately not configuration, so no list holds them.
const QHash<int, const char*>& Allowance() {
    static const QHash<int, const char*> allowed = {
        {170, "the controller's clock (time), a live value the General page sets"},
        {171, "the controller's clock (date), a live value the General page sets"},
        {489, "the access password, set by its own command, never part of a settings file"},
        {1058, "one-shot commands (thunderstorm now, maintenance on/off, level alarm)"},
        {1101, "the operating mode: the test modes pages switch on and off"},
        {1160, "the recorder: writing 0 clears it"},
        {2060, "the SMS module's clock, a live value the SMS module page sets"},
    };
    return allowed;
}

QString SourceLists() {
    return TestPaths::SourceDir() + QStringLiteral("/data/paralists");
}

QSet<int> Numbers(const CParameterArray& list) {
    QSet<int> numbers;
    for (const CParameter& p : list) numbers.insert(p.Number);
    return numbers;
}

QString Join(QSet<int> numbers) {
    QList<int> sorted(numbers.begin(), numbers.end());
    std::sort(sorted.begin(), sorted.end());
    QStringList parts;
    for (int n : sorted) parts << QString::number(n);
    return parts.join(QStringLiteral(", "));
}

QString ListName(int version, int productCode) {
    return QStringLiteral("ParaList_V%1%2.def").arg(version).arg(ModelInfo::ListSuffix(productCode));
}

// What each page class wrote, per model and version; filled by the first test, read by the
// second. Key: class name, then "<product code>/<version>".
struct Seen {
    QHash<QString, QHash<QString, QSet<int>>> written;
    QHash<QString, QSet<int>> lists;  // "<product code>/<version>" -> controller list numbers
    int rows = 0;
};
Seen& Collected() {
    static Seen seen;
    return seen;
}
}  // namespace

class PageWritesInListsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { CPropertyPageGeneral::SetSplashEnabled(false); }

    void everyWriteIsListed_data() {
        QTest::addColumn<int>("productCode");
        QTest::addColumn<int>("version");
        int count = 0;
        const ModelInfo* rows = ModelInfo::Rows(count);
        for (int r = 0; r < count; ++r)
            for (int version = 400; version <= 408; ++version)
                QTest::addRow("%s %d", rows[r].displayName, version)
                    << int(rows[r].productCode) << version;
    }

    void everyWriteIsListed() {
        QFETCH(int, productCode);
        QFETCH(int, version);
        const QString model = QString::fromLatin1(ModelInfo::Find(productCode)->displayName);
        const QString row = QStringLiteral("%1/%2").arg(productCode).arg(version);

        CParameterArray list, smsList;
        QCOMPARE(list.LoadParameterList(SourceLists(), productCode, version),
                 CParameterArray::FileResult::Ok);
        QCOMPARE(smsList.LoadParameterList(SourceLists(), ModelInfo::SmsModuleProductCode, version),
                 CParameterArray::FileResult::Ok);
        const QSet<int> listed = Numbers(list);
        const QSet<int> smsListed = Numbers(smsList);

        CDeviceModel::Options o;
        o.productCode = productCode;
        o.firmware = version;
        o.sms = true;  // the SMS module's page, where there is one, is checked against its list
        o.smsFirmware = version;
        CSheetRig rig(o);
        SeedFromList(rig.model.Controller(), list);
        SeedFromList(*rig.model.SmsModule(), smsList);
        rig.app.serviceMode = true;  // the bus test page too
        rig.connection.smsModule = true;
        QVERIFY(rig.Connect());

        QStringList faults;
        QSet<int> rowWrote;
        const QList<CMyPropertyPage*> pages = rig.sheet->Pages();
        for (CMyPropertyPage* page : pages) {
            QVERIFY(rig.sheet->ActivatePage(page));
            QCOMPARE(rig.sheet->ActivePage(), page);
            rig.model.ClearLog();
            page->MarkAllChanged();
            rig.Send();
            const QString where = QStringLiteral("%1 on %2 %3").arg(page->ClassName(), model).arg(version);
            QVERIFY2(rig.app.IsConnected() && !page->IsModified(),
                     qPrintable(where + QStringLiteral(": the write did not go through")));

            QSet<int> wrote, missing, smsMissing;
            for (const Access& a : rig.model.Log()) {
                if (a.kind == Access::Read || Allowance().contains(a.number)) continue;
                if (a.address == kSmsAddress) {
                    if (!smsListed.contains(a.number)) smsMissing.insert(a.number);
                    continue;
                }
                wrote.insert(a.number);
                if (!listed.contains(a.number)) missing.insert(a.number);
            }
            if (!missing.isEmpty())
                faults << QStringLiteral("%1 writes %2, which %3 lacks")
                              .arg(where, Join(missing), ListName(version, productCode));
            if (!smsMissing.isEmpty())
                faults << QStringLiteral("%1 writes %2 to the SMS module, which %3 lacks")
                              .arg(where, Join(smsMissing),
                                   ListName(version, ModelInfo::SmsModuleProductCode));
            // Per instance: a family's members (sensor inputs) write numbers of their own.
            const QString key = page->InstanceIndex() == 0
                                    ? page->ClassName()
                                    : page->ClassName() + QLatin1Char(':') +
                                          QString::number(page->InstanceIndex());
            Collected().written[key][row] += wrote;
            rowWrote += wrote;
        }
        // The General page always has values to send; silence means the check sees nothing.
        QVERIFY2(!rowWrote.isEmpty(), "no page wrote anything: MarkAllChanged no longer reaches the writes");
        Collected().lists[row] = listed;
        ++Collected().rows;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // A number a page writes for some model or version belongs to that page; a list that
    // holds it where the page does not write it carries a value nobody can set.
    void listsHoldNothingThePageLacks() {
        Seen& seen = Collected();
        int count = 0;
        ModelInfo::Rows(count);
        if (seen.rows != count * 9) QSKIP("needs every row of everyWriteIsListed");
        QStringList faults;
        for (auto page = seen.written.cbegin(); page != seen.written.cend(); ++page) {
            QSet<int> own;
            for (const QSet<int>& w : page.value()) own += w;
            for (auto row = seen.lists.cbegin(); row != seen.lists.cend(); ++row) {
                const QStringList parts = row.key().split(QLatin1Char('/'));
                const int productCode = parts[0].toInt();
                const int version = parts[1].toInt();
                QSet<int> extra = (row.value() & own) - page.value().value(row.key());
                if (extra.isEmpty()) continue;
                // A page the model or version does not have cannot be asked about its list.
                if (!page.value().contains(row.key())) continue;
                faults << QStringLiteral("%1 on %2 %3 does not write %4, yet %5 holds it")
                              .arg(page.key(),
                                   QString::fromLatin1(ModelInfo::Find(productCode)->displayName))
                              .arg(version)
                              .arg(Join(extra), ListName(version, productCode));
            }
        }
        faults.sort();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(PageWritesInListsTest)
#include "PageWritesInLists_test.moc"
