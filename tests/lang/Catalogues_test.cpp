// SPDX-License-Identifier: GPL-3.0-or-later
// Every string number the code refers to exists in all three catalogues, with the same
// placeholders in each language.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "lang/CLanguage.h"
#include "support/TestPaths.h"

namespace {
QMap<int, QStringList> ReferencedIds()
{
    // Strings reach the code only through these calls with a literal number.
    static const QRegularExpression use(
        QStringLiteral(R"(\b(?:Tr|TrArg|StringId|ShowMessage|Message)\(\s*(\d+)\s*[,)])"));
    QMap<int, QStringList> ids;
    for (const char* root : {"src", "tools"}) {
        QDirIterator it(TestPaths::SourceDir() + QLatin1Char('/') + QLatin1String(root),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(f.readAll());
            for (auto m = use.globalMatch(text); m.hasNext();) {
                const int id = m.next().captured(1).toInt();
                ids[id] << path.mid(TestPaths::SourceDir().size() + 1);
            }
        }
    }
    return ids;
}

QSet<QString> Placeholders(const QString& text)
{
    static const QRegularExpression ph(QStringLiteral("%[1-9]"));
    QSet<QString> out;
    for (auto m = ph.globalMatch(text); m.hasNext();)
        out << m.next().captured(0);
    return out;
}
}  // namespace

class CataloguesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyReferencedStringExistsInEveryLanguage()
    {
        const QMap<int, QStringList> ids = ReferencedIds();
        QVERIFY2(ids.size() > 3, "the scan found almost no string references");
        CLanguage langs[3];
        for (int l = 0; l < 3; ++l) {
            const QString path = TestPaths::ShareDir() + QStringLiteral("/lang/") + CLanguage::FileName(l);
            QVERIFY2(langs[l].Load(path), qPrintable(path));
        }
        QStringList missing;
        for (auto it = ids.cbegin(); it != ids.cend(); ++it) {
            for (int l = 0; l < 3; ++l)
                if (!langs[l].Has(it.key()))
                    missing << QStringLiteral("%1 missing in %2 (used in %3)")
                                   .arg(it.key())
                                   .arg(CLanguage::FileName(l), it.value().first());
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }

    void placeholdersAgreeAcrossLanguages()
    {
        CLanguage langs[3];
        for (int l = 0; l < 3; ++l)
            QVERIFY(langs[l].Load(TestPaths::ShareDir() + QStringLiteral("/lang/") + CLanguage::FileName(l)));
        QStringList differ;
        for (auto it = langs[1].Entries().cbegin(); it != langs[1].Entries().cend(); ++it) {
            const QSet<QString> english = Placeholders(it.value());
            for (int l : {0, 2})
                if (langs[l].Has(it.key()) && Placeholders(langs[l].String(it.key())) != english)
                    differ << QStringLiteral("%1 in %2").arg(it.key()).arg(CLanguage::FileName(l));
        }
        QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char('\n'))));
    }

    void noNumberIsDefinedTwice()
    {
        // Fragments are joined; a number defined in two fragments would silently shadow one.
        static const QRegularExpression entry(QStringLiteral(R"(^\s*(\d+)\s*=)"));
        for (const char* language : {"English", "German", "Alternative"}) {
            QHash<int, QString> seen;
            QDirIterator it(TestPaths::SourceDir() + QStringLiteral("/lang/") + QLatin1String(language),
                            {QStringLiteral("*.lang")}, QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                QFile f(path);
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
                for (const QString& line : lines) {
                    const auto m = entry.match(line);
                    if (!m.hasMatch())
                        continue;
                    const int id = m.captured(1).toInt();
                    QVERIFY2(!seen.contains(id), qPrintable(QStringLiteral("%1 defined in %2 and %3")
                                                                .arg(id).arg(seen.value(id), path)));
                    seen.insert(id, path);
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(CataloguesTest)
#include "Catalogues_test.moc"
