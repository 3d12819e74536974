// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sms/CSMSDiagnosis.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "link/CByteChannel.h"
#include "ui/page/CMyPropertyPage.h"

namespace {
CByteChannel* Line() {
    CByteChannel* c = CMyPropertyPage::Channel();
    return c && c->IsUsable() && c->ChannelKind() == CByteChannel::Kind::Serial ? c : nullptr;
}
}  // namespace

CSMSDiagnosis::CSMSDiagnosis(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("276"));
    setWindowTitle(Tr(42650));
    m_output = new QPlainTextEdit(this);
    m_output->setObjectName(QString::number(IdOutput));
    m_output->setReadOnly(true);
    m_input = new QPlainTextEdit(this);
    m_input->setObjectName(QString::number(IdInput));
    m_input->setReadOnly(true);
    m_input->setFocusProxy(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Tr(42651), this));
    layout->addWidget(m_output, 2);
    layout->addWidget(new QLabel(Tr(42652), this));
    layout->addWidget(m_input, 1);
    resize(520, 380);
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &CSMSDiagnosis::Poll);
}

CSMSDiagnosis::~CSMSDiagnosis() { Close(); }

bool CSMSDiagnosis::IsPossible() { return Line() != nullptr; }

bool CSMSDiagnosis::Open(CMyPropertyPage& page) {
    CByteChannel* line = Line();
    if (!line || page.WriteParam(2056, 1, false, true) != 0) return false;
    m_savedTimeout = line->ReadTimeout();
    line->SetReadTimeout(100);
    m_open = true;
    for (char c : {'A', 'T', '\r'}) Type(c);
    m_timer.start();
    return true;
}

void CSMSDiagnosis::Type(char byte) {
    CByteChannel* line = Line();
    if (!m_open || !line) return;
    line->SendAll(QByteArray(1, byte));
    m_input->moveCursor(QTextCursor::End);
    m_input->insertPlainText(byte == '\r' ? QStringLiteral("\n") : QString(QLatin1Char(byte)));
}

void CSMSDiagnosis::Poll() {
    CByteChannel* line = Line();
    if (!m_open || !line) return;
    setFocus();
    QByteArray bytes;
    if (line->ReceiveString(bytes, 10, '\0', false) <= 0 || bytes.isEmpty()) return;
    bytes.replace('\r', QByteArray());
    m_output->moveCursor(QTextCursor::End);
    m_output->insertPlainText(QString::fromLatin1(bytes));
}

QString CSMSDiagnosis::Output() const { return m_output->toPlainText(); }
QString CSMSDiagnosis::Input() const { return m_input->toPlainText(); }

void CSMSDiagnosis::keyPressEvent(QKeyEvent* event) {
    const QString t = event->text();
    if (event->key() == Qt::Key_Escape || t.isEmpty()) {
        QDialog::keyPressEvent(event);
        return;
    }
    const QByteArray bytes = t.toLatin1();
    for (char c : bytes) Type(c == '\n' ? '\r' : c);
}

void CSMSDiagnosis::done(int result) {
    Close();
    QDialog::done(result);
}

void CSMSDiagnosis::Close() {
    if (!m_open) return;
    m_timer.stop();
    if (CByteChannel* line = Line()) {
        line->SendAll(QByteArray(1, '\x1B'));  // the module returns to the bus
        line->WaitForOutputQueueEmpty(500);
        line->SetReadTimeout(m_savedTimeout);
        line->PurgeReceive();
    }
    m_open = false;
}
