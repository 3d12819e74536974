// SPDX-License-Identifier: GPL-3.0-or-later
// Shows a help topic by number: share/korvalis-control/help/<Language>/<topic>.html when
// that exists, else the topic number. One viewer window, reused.
#pragma once

#include <QDialog>
#include <cstdint>

class QTextBrowser;

class CHelpViewer : public QDialog {
    Q_OBJECT
public:
    static CHelpViewer* ShowTopic(uint16_t topic, QWidget* parent = nullptr);
    // The topic shown last (0 before any), for tests.
    static uint16_t LastTopic();
    // The file a topic is read from (may not exist).
    static QString TopicFile(uint16_t topic);

    uint16_t Topic() const { return m_topic; }
    QString Text() const;

private:
    explicit CHelpViewer(QWidget* parent);
    void Load(uint16_t topic);

    QTextBrowser* m_browser;
    uint16_t m_topic = 0;
};
