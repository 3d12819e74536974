// SPDX-License-Identifier: GPL-3.0-or-later
// The help window: contents, index and full-text search beside the page, back and forward,
// links between topics. One window, reused; ShowTopic opens it at a topic.
#pragma once

#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QToolButton;
class CHelpEngine;

class CHelpViewer : public QWidget {
    Q_OBJECT
public:
    static CHelpViewer* ShowTopic(uint16_t topic, QWidget* parent = nullptr);
    // The topic asked for last (0 before any), for tests.
    static uint16_t LastTopic();
    // The window if it is open.
    static CHelpViewer* Instance();
    ~CHelpViewer() override;

    uint16_t Topic() const { return m_topic; }
    QUrl Source() const;
    QString Text() const;
    // Full-text search as the Search tab runs it; the result list fills when the index is
    // ready and the search has run (signal searchFinished).
    void Search(const QString& words);
    // The topics found by the last search, best first.
    QList<uint16_t> SearchResults() const { return m_results; }
    void Open(const QUrl& url);

Q_SIGNALS:
    void searchFinished();

private:
    explicit CHelpViewer(QWidget* parent);
    void Load(uint16_t topic);
    void RunPendingSearch();
    void ShowResults();
    void SyncContents();
    static uint16_t TopicOf(const QUrl& url);

    CHelpEngine* m_help;
    QTextBrowser* m_browser;
    QTabWidget* m_tabs;
    QLineEdit* m_indexFilter;
    QLineEdit* m_searchEdit;
    QListWidget* m_resultList;
    QLabel* m_searchState;
    QToolButton* m_back;
    QToolButton* m_forward;
    QString m_pendingSearch;
    QList<uint16_t> m_results;
    uint16_t m_topic = 0;
};
