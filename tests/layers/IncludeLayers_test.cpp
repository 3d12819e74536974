// SPDX-License-Identifier: GPL-3.0-or-later
// The layers of docs/architecture.md, read from the include lines of src/: each core folder
// includes only itself and the folders below it, no two core folders include each other
// (directly or round about), the core includes no Qt module beyond Core, Network and
// SerialPort (and Sql in recorder/ alone, for the history database), and the program's side keeps off the device model, the tools and the tests.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <functional>

namespace {
// Lowest first; a folder may include what stands before it in its own row.
const QMap<QString, QStringList> kCoreMayInclude = {
    {"lang", {"lang"}},
    {"base", {"base", "lang"}},
    {"schedule", {"schedule", "base", "lang"}},
    {"link", {"link", "base", "lang"}},
    {"params", {"params", "link", "base", "lang"}},
    {"firmware", {"firmware", "params", "link", "base", "lang"}},
    {"recorder", {"recorder", "params", "link", "base", "lang"}},
    {"alerts", {"alerts", "params", "link", "base", "lang"}},
    {"app", {"app", "alerts", "recorder", "firmware", "params", "link", "base", "lang", "schedule"}},
};
const QStringList kCoreQtModules = {"QtCore", "QtNetwork", "QtSerialPort"};
// The one database stays behind the recorder's history class.
const QMap<QString, QStringList> kFolderQtModules = {{"recorder", {"QtSql"}}};

struct Include {
    QString file;    // relative to src/
    QString target;  // as written between the quotes or brackets
    bool quoted = false;
};

QString SourceDir() { return QStringLiteral(KORVALIS_SOURCE_DIR "/src"); }

// The folder a path belongs to: its first component, and for ui/ and pages/ the second too.
QString FolderOf(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    if (parts.size() < 2) return {};
    if ((parts[0] == QLatin1String("ui") || parts[0] == QLatin1String("pages")) && parts.size() > 2)
        return parts[0] + QLatin1Char('/') + parts[1];
    return parts[0];
}

QList<Include> ReadIncludes() {
    static const QRegularExpression line(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"));
    QList<Include> out;
    const QDir src(SourceDir());
    QDirIterator it(src.path(), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QString rel = src.relativeFilePath(path);
        while (!f.atEnd()) {
            const QRegularExpressionMatch m = line.match(QString::fromUtf8(f.readLine()));
            if (m.hasMatch()) out.append({rel, m.captured(2), m.captured(1) == QLatin1String("\"")});
        }
    }
    return out;
}

// Folder -> folders it includes, from quoted includes that name a folder.
QMap<QString, QSet<QString>> FolderGraph(const QList<Include>& includes) {
    QMap<QString, QSet<QString>> graph;
    for (const Include& inc : includes) {
        if (!inc.quoted || !inc.target.contains(QLatin1Char('/'))) continue;
        const QString from = FolderOf(inc.file), to = FolderOf(inc.target);
        if (!from.isEmpty() && !to.isEmpty() && from != to) graph[from].insert(to);
    }
    return graph;
}

// The Qt module whose headers hold the include, empty for anything not from Qt.
QString QtModuleOf(const QString& target) {
    static const QString headers = QLibraryInfo::path(QLibraryInfo::HeadersPath);
    static const QStringList modules = QDir(headers).entryList({QStringLiteral("Qt*")}, QDir::Dirs);
    if (target.startsWith(QLatin1String("Qt")) && target.contains(QLatin1Char('/')))
        return target.section(QLatin1Char('/'), 0, 0);
    if (!target.startsWith(QLatin1Char('Q'))) return {};
    for (const QString& module : modules)
        if (QFileInfo::exists(headers + QLatin1Char('/') + module + QLatin1Char('/') + target)) return module;
    return {};
}
}  // namespace

class IncludeLayers_test : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        m_includes = ReadIncludes();
        QVERIFY2(m_includes.size() > 500, "the sources were not found");
    }

    void coreFoldersIncludeOnlyWhatLiesBelow() {
        QStringList wrong;
        for (const Include& inc : m_includes) {
            const QString from = FolderOf(inc.file);
            if (!inc.quoted || !kCoreMayInclude.contains(from)) continue;
            if (!inc.target.contains(QLatin1Char('/'))) {
                wrong << inc.file + QLatin1String(": \"") + inc.target + QLatin1String("\" names no folder");
                continue;
            }
            if (!kCoreMayInclude[from].contains(FolderOf(inc.target)))
                wrong << inc.file + QLatin1String(" includes ") + inc.target;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }

    void noCycleBetweenCoreFolders() {
        const QMap<QString, QSet<QString>> graph = FolderGraph(m_includes);
        // Depth-first from every core folder; a folder met again on the current path closes a cycle.
        QStringList path;
        QSet<QString> done;
        QString cycle;
        std::function<void(const QString&)> visit = [&](const QString& folder) {
            if (!cycle.isEmpty() || done.contains(folder)) return;
            if (const qsizetype at = path.indexOf(folder); at >= 0) {
                cycle = (path.mid(at) << folder).join(QLatin1String(" -> "));
                return;
            }
            path << folder;
            for (const QString& next : graph.value(folder))
                if (kCoreMayInclude.contains(next)) visit(next);
            path.removeLast();
            done.insert(folder);
        };
        for (const QString& folder : kCoreMayInclude.keys()) visit(folder);
        QVERIFY2(cycle.isEmpty(), qPrintable(cycle));
    }

    void coreUsesNoGuiModule() {
        QStringList wrong;
        for (const Include& inc : m_includes) {
            if (inc.quoted || !kCoreMayInclude.contains(FolderOf(inc.file))) continue;
            const QString module = QtModuleOf(inc.target);
            if (!module.isEmpty() && !kCoreQtModules.contains(module) &&
                !kFolderQtModules.value(FolderOf(inc.file)).contains(module))
                wrong << inc.file + QLatin1String(" includes <") + inc.target + QLatin1String("> of ") + module;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }

    // The program never links the device model; nothing in src/ reaches the tools or tests;
    // the page framework stands below the pages and the sheet; the chart is a component of its own.
    void programSideKeepsToItsLayers() {
        QStringList wrong;
        for (const Include& inc : m_includes) {
            if (!inc.quoted || !inc.target.contains(QLatin1Char('/'))) continue;
            const QString from = FolderOf(inc.file), to = FolderOf(inc.target);
            const QString top = to.section(QLatin1Char('/'), 0, 0);
            const QString fromTop = from.section(QLatin1Char('/'), 0, 0);
            const bool programSide = fromTop == QLatin1String("ui") || fromTop == QLatin1String("pages") ||
                                     fromTop == QLatin1String("chart") || from.isEmpty();
            const bool bad = top == QLatin1String("tools") || top == QLatin1String("tests") ||
                             top == QLatin1String("support") ||
                             (programSide && top == QLatin1String("device")) ||
                             (from == QLatin1String("ui/page") && (top == QLatin1String("pages") || to == QLatin1String("ui/sheet"))) ||
                             (fromTop == QLatin1String("chart") && (top == QLatin1String("ui") || top == QLatin1String("pages"))) ||
                             (fromTop == QLatin1String("device") && (top == QLatin1String("ui") || top == QLatin1String("pages")));
            if (bad) wrong << inc.file + QLatin1String(" includes ") + inc.target;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }

    // Pages reach the program through the page base alone: what the connect found through
    // its read-only view, their window through the page host. Only the menu commands that
    // live beside their pages register with the main sheet.
    void pagesKnowOnlyThePageBase() {
        static const QRegularExpression app(QStringLiteral(R"(\bApp\(\)|CKorvalisControlApp)"));
        QStringList wrong;
        QDirIterator it(SourceDir() + QLatin1String("/pages"), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            QVERIFY(f.open(QIODevice::ReadOnly));
            if (const QRegularExpressionMatch m = app.match(QString::fromUtf8(f.readAll())); m.hasMatch())
                wrong << f.fileName() + QLatin1String(" uses ") + m.captured();
        }
        for (const Include& inc : m_includes)
            if (inc.file.startsWith(QLatin1String("pages/")) && inc.target == QLatin1String("ui/sheet/CMyPropertySheet.h") &&
                !inc.file.endsWith(QLatin1String("MenuCommands.cpp")))
                wrong << inc.file + QLatin1String(" includes ") + inc.target;
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }

private:
    QList<Include> m_includes;
};

QTEST_GUILESS_MAIN(IncludeLayers_test)
#include "IncludeLayers_test.moc"
