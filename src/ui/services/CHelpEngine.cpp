// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/services/CHelpEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngine>
#include <QHelpSearchEngine>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocumentFragment>

#include "base/CAppPaths.h"
#include "lang/CLanguage.h"

namespace {
// One engine per language, kept for the run: a help window and the tooltips of pages made
// before a language change still use theirs.
QPointer<CHelpEngine> g_engines[3];
constexpr qint64 kMaxPageBytes = 1024 * 1024;

QString LanguageFolder(int language) {
    QString name = CLanguage::FileName(language);
    name.chop(5);  // ".lang"
    return name;
}

QString PlainText(const QString& html) {
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}
}  // namespace

CHelpEngine& CHelpEngine::Current() {
    const int language = qBound(0, CLanguage::Current().Language(), 2);
    if (!g_engines[language]) {
        g_engines[language] = new CHelpEngine(language);
        // The engines' threads (contents, search index) still running at quit are stopped
        // and joined first thing when the application goes, while their database driver is
        // still there.
        static const bool cleanup = [] {
            qAddPostRoutine([] {
                for (QPointer<CHelpEngine>& engine : g_engines) delete engine.data();
            });
            return true;
        }();
        Q_UNUSED(cleanup);
    }
    return *g_engines[language];
}

QString CHelpEngine::HelpFile(int language) {
    return CAppPaths::ShareFolder() + QStringLiteral("/help/%1.qch").arg(LanguageFolder(language));
}

QString CHelpEngine::CollectionFolder() {
    const QString home = QString::fromLocal8Bit(qgetenv("KORVALIS_HOME"));
    if (!home.isEmpty()) return home + QStringLiteral("/help");
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/korvalis-control/help");
}

CHelpEngine::CHelpEngine(int language) : m_language(language) {
    Setup();
}

void CHelpEngine::Setup() {
    const QString qch = HelpFile(m_language);
    const QString folder = CollectionFolder();
    QDir().mkpath(folder);
    m_engine = new QHelpEngine(
        folder + QStringLiteral("/%1.qhc").arg(LanguageFolder(m_language)), this);
    m_engine->setReadOnly(false);
    if (!m_engine->setupData()) {
        m_error = m_engine->error();
        return;
    }
    m_namespace = QHelpEngineCore::namespaceName(qch);
    if (m_namespace.isEmpty()) {
        m_error = QDir::toNativeSeparators(qch);
        return;
    }
    // One help file per collection: whatever else is registered (an older install's file,
    // another path) goes, so contents and search show this file only.
    const QFileInfo info(qch);
    const QString stamp = QStringLiteral("%1|%2|%3")
                              .arg(info.absoluteFilePath())
                              .arg(info.size())
                              .arg(info.lastModified().toMSecsSinceEpoch());
    const bool same = m_engine->customValue(QStringLiteral("korvalis/helpfile")).toString() == stamp &&
                      m_engine->registeredDocumentations() == QStringList{m_namespace};
    if (!same) {
        for (const QString& ns : m_engine->registeredDocumentations())
            m_engine->unregisterDocumentation(ns);
        if (!m_engine->registerDocumentation(qch)) {
            m_error = m_engine->error();
            return;
        }
        m_engine->setCustomValue(QStringLiteral("korvalis/helpfile"), stamp);
        m_engine->setupData();
    }
    m_fileChanged = !same;
}

void CHelpEngine::PrepareSearch() {
    if (m_searchPrepared || !m_error.isEmpty()) return;
    m_searchPrepared = true;
    QHelpSearchEngine* search = m_engine->searchEngine();
    connect(search, &QHelpSearchEngine::indexingFinished, this, [this] {
        m_indexReady = true;
        Q_EMIT indexReady();
    });
    // A changed help file needs a new index first; an unchanged one searches the index it
    // has while the engine checks it.
    if (m_fileChanged) {
        search->reindexDocumentation();
    } else {
        m_indexReady = true;
        search->scheduleIndexDocumentation();
    }
}

QUrl CHelpEngine::TopicUrl(uint16_t topic) const {
    return QUrl(QStringLiteral("qthelp://%1/help/%2.html").arg(m_namespace).arg(topic));
}

bool CHelpEngine::HasTopic(uint16_t topic) const {
    return m_error.isEmpty() && !m_engine->fileData(TopicUrl(topic)).isEmpty();
}

CHelpEngine::Tip CHelpEngine::FieldTip(uint16_t topic, int controlId) {
    if (!m_error.isEmpty()) return {};
    auto it = m_tips.find(topic);
    if (it == m_tips.end()) {
        QHash<int, Tip> tips;
        const QByteArray data = m_engine->fileData(TopicUrl(topic));
        if (data.size() <= kMaxPageBytes) {
            const QString html = QString::fromUtf8(data);
            // <dt id="c1005">Term <span class="unit">%</span></dt><dd><span class="tip">…</span>
            static const QRegularExpression term(
                QStringLiteral("<dt id=\"c(\\d+)\"[^>]*>(.*?)</dt>\\s*<dd>\\s*<span class=\"tip\">(.*?)</span>"),
                QRegularExpression::DotMatchesEverythingOption);
            static const QRegularExpression unit(QStringLiteral("<span class=\"unit\">(.*?)</span>"));
            for (auto m = term.globalMatch(html); m.hasNext();) {
                const auto match = m.next();
                Tip tip;
                QString dt = match.captured(2);
                if (const auto u = unit.match(dt); u.hasMatch()) {
                    tip.unit = PlainText(u.captured(1));
                    dt.remove(u.capturedStart(0), u.capturedLength(0));
                }
                tip.term = PlainText(dt);
                tip.text = PlainText(match.captured(3));
                tips.insert(match.captured(1).toInt(), tip);
            }
        }
        it = m_tips.insert(topic, tips);
    }
    return it->value(controlId);
}
