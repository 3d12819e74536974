// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/services/CHelpViewer.h"

#include <QHBoxLayout>
#include <QHelpContentWidget>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchResult>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "ui/services/CHelpEngine.h"

namespace {
QPointer<CHelpViewer> g_viewer;
uint16_t g_lastTopic = 0;
constexpr int kMaxResults = 50;

// Pages come out of the help file; links to the web open outside.
class CHelpBrowser : public QTextBrowser {
public:
    CHelpBrowser(QHelpEngine* engine, QWidget* parent) : QTextBrowser(parent), m_engine(engine) {
        setOpenExternalLinks(true);
    }
    QVariant loadResource(int type, const QUrl& name) override {
        // Relative names (the style sheet, pictures) live beside the page in the help file.
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (m_engine && url.scheme() == QLatin1String("qthelp")) return m_engine->fileData(url);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine* m_engine;
};
}  // namespace

CHelpViewer::CHelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), m_help(&CHelpEngine::Current()) {
    setObjectName(QStringLiteral("helpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Tr(54000));
    QHelpEngine* engine = m_help->Engine();
    m_help->PrepareSearch();

    auto* toolbar = new QHBoxLayout;
    auto tool = [this, toolbar](int text, const char* name) {
        auto* b = new QToolButton(this);
        b->setText(Tr(text));
        b->setObjectName(QLatin1String(name));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        toolbar->addWidget(b);
        return b;
    };
    m_back = tool(54004, "back");
    m_forward = tool(54005, "forward");
    QToolButton* home = tool(54006, "home");
    toolbar->addStretch(1);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("helpTabs"));
    QHelpContentWidget* contents = engine->contentWidget();
    contents->setHeaderHidden(true);
    m_tabs->addTab(contents, Tr(54001));

    auto* indexTab = new QWidget(this);
    auto* indexLayout = new QVBoxLayout(indexTab);
    auto* indexLabel = new QLabel(Tr(54007), indexTab);
    m_indexFilter = new QLineEdit(indexTab);
    indexLabel->setBuddy(m_indexFilter);
    QHelpIndexWidget* index = engine->indexWidget();
    indexLayout->addWidget(indexLabel);
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(index, 1);
    m_tabs->addTab(indexTab, Tr(54002));

    auto* searchTab = new QWidget(this);
    auto* searchLayout = new QVBoxLayout(searchTab);
    auto* searchLabel = new QLabel(Tr(54008), searchTab);
    m_searchEdit = new QLineEdit(searchTab);
    m_searchEdit->setObjectName(QStringLiteral("searchWords"));
    searchLabel->setBuddy(m_searchEdit);
    auto* searchButton = new QPushButton(Tr(54009), searchTab);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_searchEdit, 1);
    searchRow->addWidget(searchButton);
    m_searchState = new QLabel(searchTab);
    m_searchState->setWordWrap(true);
    m_resultList = new QListWidget(searchTab);
    m_resultList->setObjectName(QStringLiteral("searchResults"));
    searchLayout->addWidget(searchLabel);
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(m_searchState);
    searchLayout->addWidget(m_resultList, 1);
    m_tabs->addTab(searchTab, Tr(54003));

    m_browser = new CHelpBrowser(engine, this);
    m_browser->setObjectName(QStringLiteral("helpPage"));
    m_browser->setSearchPaths({});

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 560});

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    auto* close = new QPushButton(Tr(54010), this);
    closeRow->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolbar);
    layout->addWidget(splitter, 1);
    layout->addLayout(closeRow);
    resize(860, 600);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    connect(home, &QToolButton::clicked, this, [this] { Load(1); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        m_topic = TopicOf(url);
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? Tr(54000) : TrArg(54011, {title}));
        SyncContents();
    });
    connect(contents, &QHelpContentWidget::linkActivated, this, &CHelpViewer::Open);
    // The tree is short: show it open, with the page shown selected.
    auto expand = [this, contents] {
        contents->expandAll();
        SyncContents();
    };
    connect(engine->contentModel(), &QHelpContentModel::contentsCreated, this, expand);
    expand();
    connect(m_indexFilter, &QLineEdit::textChanged, index,
            [index](const QString& text) { index->filterIndices(text); });
    connect(m_indexFilter, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& link, const QString&) { Open(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& links, const QString&) {
                if (!links.isEmpty()) Open(links.first().url);
            });
    connect(searchButton, &QPushButton::clicked, this, [this] { Search(m_searchEdit->text()); });
    connect(m_searchEdit, &QLineEdit::returnPressed, this, [this] { Search(m_searchEdit->text()); });
    connect(engine->searchEngine(), &QHelpSearchEngine::searchingFinished, this,
            &CHelpViewer::ShowResults);
    connect(m_help, &CHelpEngine::indexReady, this, &CHelpViewer::RunPendingSearch);
    connect(m_resultList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        Open(item->data(Qt::UserRole).toUrl());
    });
    connect(m_resultList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        Open(item->data(Qt::UserRole).toUrl());
    });
}

CHelpViewer::~CHelpViewer() {
    // The contents and index views belong to the engine, which outlives this window.
    QHelpEngine* engine = m_help->Engine();
    engine->contentWidget()->setParent(nullptr);
    engine->indexWidget()->setParent(nullptr);
}

uint16_t CHelpViewer::TopicOf(const QUrl& url) {
    bool ok = false;
    const uint topic = url.fileName().section(QLatin1Char('.'), 0, 0).toUInt(&ok);
    return ok && topic <= 0xFFFF ? uint16_t(topic) : 0;
}

void CHelpViewer::Open(const QUrl& url) {
    if (url.isValid()) m_browser->setSource(url);
}

void CHelpViewer::Load(uint16_t topic) {
    if (!m_help->Error().isEmpty()) {
        m_topic = topic;
        m_browser->setHtml(QStringLiteral("<p>%1</p>").arg(TrArg(54012, {m_help->Error()}).toHtmlEscaped()));
        return;
    }
    // A topic the help file lacks shows the overview rather than an empty page.
    Open(m_help->TopicUrl(m_help->HasTopic(topic) ? topic : 1));
}

void CHelpViewer::SyncContents() {
    QHelpContentWidget* contents = m_help->Engine()->contentWidget();
    const QModelIndex index = contents->indexOf(m_browser->source());
    if (index.isValid()) contents->setCurrentIndex(index);
}

QUrl CHelpViewer::Source() const {
    return m_browser->source();
}

QString CHelpViewer::Text() const {
    return m_browser->toPlainText();
}

void CHelpViewer::Search(const QString& words) {
    m_tabs->setCurrentIndex(2);
    m_searchEdit->setText(words);
    m_pendingSearch = words.simplified();
    m_results.clear();
    m_resultList->clear();
    if (m_pendingSearch.isEmpty()) return;
    if (!m_help->IsIndexReady()) {
        m_searchState->setText(Tr(54013));
        return;  // runs when the index is ready
    }
    RunPendingSearch();
}

void CHelpViewer::RunPendingSearch() {
    if (m_pendingSearch.isEmpty() || !m_help->IsIndexReady()) return;
    const QString words = m_pendingSearch;
    m_pendingSearch.clear();
    m_help->Engine()->searchEngine()->search(words);
}

void CHelpViewer::ShowResults() {
    QHelpSearchEngine* search = m_help->Engine()->searchEngine();
    const int count = search->searchResultCount();
    m_results.clear();
    m_resultList->clear();
    for (const QHelpSearchResult& r : search->searchResults(0, qMin(count, kMaxResults))) {
        auto* item = new QListWidgetItem(r.title(), m_resultList);
        item->setData(Qt::UserRole, r.url());
        m_results.append(TopicOf(r.url()));
    }
    m_searchState->setText(count == 0 ? Tr(54014) : TrArg(54015, {QString::number(count)}));
    Q_EMIT searchFinished();
}

CHelpViewer* CHelpViewer::ShowTopic(uint16_t topic, QWidget* parent) {
    g_lastTopic = topic;
    // The window belongs to the language it was opened in.
    if (g_viewer && g_viewer->m_help != &CHelpEngine::Current()) delete g_viewer.data();
    if (!g_viewer) g_viewer = new CHelpViewer(parent ? parent->window() : nullptr);
    g_viewer->Load(topic);
    g_viewer->show();
    g_viewer->raise();
    g_viewer->activateWindow();
    return g_viewer;
}

uint16_t CHelpViewer::LastTopic() {
    return g_lastTopic;
}

CHelpViewer* CHelpViewer::Instance() {
    return g_viewer;
}
