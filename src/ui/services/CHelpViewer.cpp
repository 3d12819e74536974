// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/services/CHelpViewer.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "base/CAppPaths.h"
#include "lang/CLanguage.h"

namespace {
QPointer<CHelpViewer> g_viewer;
uint16_t g_lastTopic = 0;
constexpr qint64 kMaxTopicBytes = 1024 * 1024;
}  // namespace

CHelpViewer::CHelpViewer(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    layout->addWidget(m_browser);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Tr(31129), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(520, 420);
}

QString CHelpViewer::TopicFile(uint16_t topic) {
    QString language = CLanguage::FileName(CLanguage::Current().Language());
    language.chop(5);  // ".lang"
    return CAppPaths::ShareFolder() + QStringLiteral("/help/%1/%2.html").arg(language).arg(topic);
}

void CHelpViewer::Load(uint16_t topic) {
    m_topic = topic;
    setWindowTitle(TrArg(31119, {QString::number(topic)}));
    QFile file(TopicFile(topic));
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxTopicBytes) {
        m_browser->setHtml(QString::fromUtf8(file.readAll()));
        return;
    }
    m_browser->setHtml(QStringLiteral("<h3>%1</h3><p>%2</p>")
                           .arg(TrArg(31120, {QString::number(topic)}).toHtmlEscaped(),
                                Tr(31132).toHtmlEscaped()));
}

QString CHelpViewer::Text() const {
    return m_browser->toPlainText();
}

CHelpViewer* CHelpViewer::ShowTopic(uint16_t topic, QWidget* parent) {
    g_lastTopic = topic;
    if (!g_viewer) g_viewer = new CHelpViewer(parent);
    g_viewer->Load(topic);
    g_viewer->show();
    g_viewer->raise();
    return g_viewer;
}

uint16_t CHelpViewer::LastTopic() {
    return g_lastTopic;
}
