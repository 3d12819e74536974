// SPDX-License-Identifier: GPL-3.0-or-later
// The help of the current language: share/korvalis-control/help/<Language>.qch, registered
// in a per-user collection (the help engine keeps its search index there). Topic n is the
// page "n.html" of the help file; the field terms of a page (<dt id="c<control>">) carry the
// one-sentence tip that the fields' tooltips show.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <cstdint>

class QHelpEngine;

class CHelpEngine : public QObject {
    Q_OBJECT
public:
    // The engine of the current language, made on first use and again after a language change.
    static CHelpEngine& Current();
    // "<share>/help/<Language>.qch" of a language (CLanguage numbering).
    static QString HelpFile(int language);
    // The folder of the per-user collection files.
    static QString CollectionFolder();

    int Language() const { return m_language; }
    QHelpEngine* Engine() const { return m_engine; }
    // Empty when the help file is registered and readable; else why not (for the window).
    QString Error() const { return m_error; }
    QUrl TopicUrl(uint16_t topic) const;
    bool HasTopic(uint16_t topic) const;
    // The tip sentence of a control on a topic's page, with its unit when the term gives
    // one ("<span class=unit>"); empty when the page has no term for the control.
    struct Tip {
        QString text;
        QString unit;
        QString term;
    };
    Tip FieldTip(uint16_t topic, int controlId);
    // Full-text search index: made only when a help window asks for it (tooltips need none),
    // since building it takes seconds of a core. True once built for the registered file.
    void PrepareSearch();
    bool IsIndexReady() const { return m_indexReady; }

Q_SIGNALS:
    void indexReady();

private:
    explicit CHelpEngine(int language);
    void Setup();

    int m_language;
    QHelpEngine* m_engine = nullptr;
    QString m_namespace;
    QString m_error;
    bool m_fileChanged = false;  // the registered help file is new: the old index is stale
    bool m_searchPrepared = false;
    bool m_indexReady = false;
    QHash<uint16_t, QHash<int, Tip>> m_tips;  // topic -> control -> tip
};
