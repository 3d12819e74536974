// SPDX-License-Identifier: GPL-3.0-or-later
// The guard of the help: every topic the program can open has a page in every language,
// the pages of the three languages match (same topics, same field terms), the links between
// topics lead somewhere, and the built help files hold exactly the current pages.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHelpEngineCore>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QStringList kLanguages = {QStringLiteral("English"), QStringLiteral("German"),
                                QStringLiteral("Alternative")};

QString HelpDir() {
    return QStringLiteral(KORVALIS_SOURCE_DIR "/help");
}

QString Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Topic numbers written in the program's sources: page topics, control maps, the
// dialogs' and the application's topics.
QMap<int, QString> TopicsInCode() {
    static const QRegularExpression patterns(QStringLiteral(
        "(?:PageTopic\\(|HelpTopic\\(|m_pageHelpTopic = |HelpTopic = |ShowTopic\\(|"
        "defaultHelpTopic = |currentHelpTopic = )(\\d+)"));
    QMap<int, QString> topics;
    topics.insert(1, QStringLiteral("the page base's default"));
    QDirIterator it(QStringLiteral(KORVALIS_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        for (auto m = patterns.globalMatch(Read(path)); m.hasNext();)
            topics.insert(m.next().captured(1).toInt(), QDir(QStringLiteral(KORVALIS_SOURCE_DIR)).relativeFilePath(path));
    }
    return topics;
}

QSet<int> PagesOf(const QString& language) {
    QSet<int> topics;
    for (const QString& name : QDir(HelpDir() + QLatin1Char('/') + language).entryList({QStringLiteral("*.html")}))
        topics << name.section(QLatin1Char('.'), 0, 0).toInt();
    return topics;
}

QSet<QString> Terms(const QString& html) {
    static const QRegularExpression term(QStringLiteral("<dt id=\"(c\\d+)\""));
    QSet<QString> ids;
    for (auto m = term.globalMatch(html); m.hasNext();) ids << m.next().captured(1);
    return ids;
}
}  // namespace

class HelpTopicsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyTopicInTheCodeHasAPageInEveryLanguage() {
        const QMap<int, QString> used = TopicsInCode();
        QVERIFY(used.size() > 40);
        QStringList missing;
        for (const QString& language : kLanguages) {
            const QSet<int> pages = PagesOf(language);
            for (auto it = used.cbegin(); it != used.cend(); ++it)
                if (!pages.contains(it.key()))
                    missing << QStringLiteral("%1/%2.html (used in %3)").arg(language).arg(it.key()).arg(it.value());
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }

    void languagesAndContentsAgree() {
        const QSet<int> english = PagesOf(kLanguages[0]);
        QSet<int> listed;
        static const QRegularExpression line(QStringLiteral("^\\s*(\\d+)"), QRegularExpression::MultilineOption);
        for (auto m = line.globalMatch(Read(HelpDir() + QStringLiteral("/contents.txt"))); m.hasNext();)
            listed << m.next().captured(1).toInt();
        QCOMPARE(listed, english);
        for (const QString& language : kLanguages) {
            QCOMPARE(PagesOf(language), english);
            for (int topic : english) {
                const QString html = Read(QStringLiteral("%1/%2/%3.html").arg(HelpDir(), language).arg(topic));
                const QString where = QStringLiteral("%1/%2.html").arg(language).arg(topic);
                QVERIFY2(QRegularExpression(QStringLiteral("<title>[^<]+</title>")).match(html).hasMatch(),
                         qPrintable(where + " has no title"));
                // Tooltips come from the field terms: each language names the same fields.
                const QString englishHtml = Read(QStringLiteral("%1/English/%2.html").arg(HelpDir()).arg(topic));
                QCOMPARE(Terms(html), Terms(englishHtml));
                // Every term carries its tip sentence.
                static const QRegularExpression tipless(QStringLiteral("<dt id=\"c\\d+\"[^>]*>.*?</dt>\\s*<dd>(?!\\s*<span class=\"tip\">)"),
                                                        QRegularExpression::DotMatchesEverythingOption);
                QVERIFY2(!tipless.match(html).hasMatch(), qPrintable(where + ": a field term without tip"));
            }
        }
    }

    void linksBetweenTopicsLeadSomewhere() {
        static const QRegularExpression link(QStringLiteral("href=\"([^\"#]*)(?:#([^\"]*))?\""));
        QStringList broken;
        for (const QString& language : kLanguages) {
            const QString dir = HelpDir() + QLatin1Char('/') + language;
            for (int topic : PagesOf(language)) {
                const QString html = Read(QStringLiteral("%1/%2.html").arg(dir).arg(topic));
                for (auto m = link.globalMatch(html); m.hasNext();) {
                    const auto match = m.next();
                    const QString target = match.captured(1);
                    if (target.startsWith(QLatin1String("http"))) continue;
                    const QString file = target.isEmpty() ? QStringLiteral("%1.html").arg(topic) : target;
                    const QString path = target == QLatin1String("help.css") ? HelpDir() + QStringLiteral("/help.css")
                                                                           : dir + QLatin1Char('/') + file;
                    const QString anchor = match.captured(2);
                    if (!QFile::exists(path) ||
                        (!anchor.isEmpty() && !Read(path).contains(QStringLiteral("id=\"%1\"").arg(anchor))))
                        broken << QStringLiteral("%1/%2.html -> %3%4").arg(language).arg(topic).arg(file,
                                                  anchor.isEmpty() ? QString() : QLatin1Char('#') + anchor);
                }
            }
        }
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QLatin1Char('\n'))));
    }

    void helpFilesHoldTheCurrentPages() {
        QTemporaryDir dir;
        for (const QString& language : kLanguages) {
            const QString qch = QStringLiteral(KORVALIS_SHARE_DIR "/help/%1.qch").arg(language);
            QHelpEngineCore engine(dir.filePath(language + QStringLiteral(".qhc")));
            engine.setReadOnly(false);
            QVERIFY(engine.setupData());
            QVERIFY2(engine.registerDocumentation(qch), qPrintable(qch + ": " + engine.error()));
            const QString ns = QHelpEngineCore::namespaceName(qch);
            QCOMPARE(ns, QStringLiteral("org.korvalis.control.") + language.toLower());
            for (int topic : PagesOf(language)) {
                const QString source = QStringLiteral("%1/%2/%3.html").arg(HelpDir(), language).arg(topic);
                QFile f(source);
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QUrl url(QStringLiteral("qthelp://%1/help/%2.html").arg(ns).arg(topic));
                QVERIFY2(engine.fileData(url) == f.readAll(), qPrintable(source + " differs from the built help file"));
            }
        }
    }
};

QTEST_MAIN(HelpTopicsTest)
#include "HelpTopics_test.moc"
