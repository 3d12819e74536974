// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/alerts/CEditEmail.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/CEmailAlerts.h"
#include "lang/CLanguage.h"
#include "ui/services/CMessageService.h"
#include "ui/page/PageConversions.h"

namespace {

// Type names, by rule type 0..4.
constexpr int kTypeNames[] = {StringId(317), StringId(318), StringId(319), StringId(320),
                              StringId(321)};
constexpr int kTypeCount = 5;

QString Normalised(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

}  // namespace

QStringList CEditEmail::Placeholders() {
    QStringList list;
    for (int i = 1; i <= 8; ++i) list << QStringLiteral("[SENSOR%1]").arg(i);
    list << QStringLiteral("[SOCKETS1-8]") << QStringLiteral("[SOCKETS9-16]")
         << QStringLiteral("[SOCKETS17-24]") << QStringLiteral("[ALARM]")
         << QStringLiteral("[LEVEL]");
    return list;
}

QString CEditEmail::TimeFormat(int type) {
    switch (type) {
        case CEmail::AtTime: {
            // The system's time format without seconds: only hours and minutes count.
            QString format = QLocale().timeFormat(QLocale::ShortFormat);
            static const QRegularExpression seconds(QStringLiteral("[:.]?s+"));
            format.remove(seconds);
            return format;
        }
        case CEmail::Interval:
        case CEmail::OnAlarmRepeated:
            return QStringLiteral("H:mm");
        default:
            return {};
    }
}

CEditEmail::CEditEmail(const CEmail& rule, QWidget* parent) : QDialog(parent), m_rule(rule) {
    setObjectName(QStringLiteral("23171"));
    setWindowTitle(Tr(42335));

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int row = 0;

    m_recipients = new QLineEdit(rule.RecipientsText(), this);
    m_recipients->setObjectName(QString::number(IdRecipients));
    m_recipients->setMinimumWidth(360);
    auto* addressBook = new QPushButton(Tr(42341), this);
    addressBook->setObjectName(QString::number(IdAddressBook));
    // No system address book on this platform; the tooltip says so.
    addressBook->setEnabled(false);
    addressBook->setToolTip(Tr(42314));
    grid->addWidget(new QLabel(Tr(42336), this), row, 0);
    grid->addWidget(m_recipients, row, 1);
    grid->addWidget(addressBook, row, 2);
    ++row;

    m_subject = new QLineEdit(rule.subject, this);
    m_subject->setObjectName(QString::number(IdSubject));
    grid->addWidget(new QLabel(Tr(42337), this), row, 0);
    grid->addWidget(m_subject, row, 1, 1, 2);
    ++row;

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QString::number(IdText));
    m_text->setPlainText(Normalised(rule.text));
    m_text->setTabChangesFocus(true);
    m_text->setMinimumHeight(fontMetrics().lineSpacing() * 9);
    grid->addWidget(new QLabel(Tr(42338), this), row, 0, Qt::AlignTop);
    grid->addWidget(m_text, row, 1, 1, 2);
    grid->setRowStretch(row, 1);
    ++row;

    m_placeholder = new QComboBox(this);
    m_placeholder->setObjectName(QString::number(IdPlaceholder));
    m_placeholder->addItems(Placeholders());
    auto* insert = new QPushButton(Tr(42340), this);
    insert->setObjectName(QString::number(IdInsert));
    auto* placeholderRow = new QHBoxLayout;
    placeholderRow->addWidget(m_placeholder);
    placeholderRow->addWidget(insert);
    placeholderRow->addStretch(1);
    grid->addWidget(new QLabel(Tr(42339), this), row, 0);
    grid->addLayout(placeholderRow, row, 1, 1, 2);
    ++row;

    m_type = new QComboBox(this);
    m_type->setObjectName(QString::number(IdType));
    for (int id : kTypeNames) m_type->addItem(Tr(id));
    m_type->setCurrentIndex(rule.type >= 0 && rule.type < kTypeCount ? rule.type : -1);
    m_timeCaption = new QLabel(this);
    m_timeCaption->setObjectName(QString::number(IdTimeCaption));
    m_time = new QTimeEdit(this);
    m_time->setObjectName(QString::number(IdTime));
    const int minutes = rule.TimeMinutes();
    m_time->setTime(MinutesToTime(minutes >= 0 ? minutes : 12 * 60));
    m_time->setMinimumWidth(110);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(m_type);
    typeRow->addSpacing(16);
    typeRow->addWidget(m_timeCaption);
    typeRow->addWidget(m_time);
    typeRow->addStretch(1);
    grid->addWidget(new QLabel(Tr(42342), this), row, 0);
    grid->addLayout(typeRow, row, 1, 1, 2);
    ++row;

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Tr(31121), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("1"));
    buttons->addButton(Tr(31122), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("2"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    connect(m_type, &QComboBox::currentIndexChanged, this, &CEditEmail::OnTypeChanged);
    connect(insert, &QPushButton::clicked, this, &CEditEmail::OnInsert);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TakeOver()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    OnTypeChanged();
    m_recipients->setFocus();
}

void CEditEmail::OnTypeChanged() {
    const int type = m_type->currentIndex() >= 0 ? m_type->currentIndex() : m_rule.type;
    const QString format = TimeFormat(type);
    m_timeCaption->setVisible(!format.isEmpty());
    m_time->setVisible(!format.isEmpty());
    if (format.isEmpty()) return;
    m_timeCaption->setText(Tr(type == CEmail::AtTime ? 313 : 314));
    m_time->setDisplayFormat(format);
}

void CEditEmail::OnInsert() {
    const QString placeholder = m_placeholder->currentText();
    if (placeholder.isEmpty()) return;
    m_text->textCursor().insertText(placeholder);
    m_text->setFocus();
}

bool CEditEmail::TakeOver() {
    CEmail r = m_rule;
    r.recipients = CEmail::ParseRecipients(m_recipients->text());
    r.subject = m_subject->text();
    // A text the user left alone keeps its own line ends.
    const QString text = m_text->toPlainText();
    if (text != Normalised(m_rule.text)) r.text = text;
    if (m_type->currentIndex() >= 0) r.type = m_type->currentIndex();
    // The stored value keeps its seconds and date unless the user changed the time.
    const int minutes = TimeToMinutes(m_time->time());
    if (minutes != r.TimeMinutes()) r.SetTimeMinutes(minutes);

    QString reason;
    if (!CEmailAlerts::CheckRule(r, &reason)) {
        CEmail probe;
        probe.recipients = r.recipients;
        QWidget* culprit = m_text;
        if (!CEmailAlerts::CheckRule(probe)) {
            culprit = m_recipients;
        } else {
            probe.subject = r.subject;
            if (!CEmailAlerts::CheckRule(probe)) culprit = m_subject;
        }
        CMessageService::ShowMessage(42343, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::Ok, {reason}, this);
        culprit->setFocus();
        return false;
    }
    // The trigger test starts afresh; the alarm latch stays, so an edit during an alarm
    // does not report the same alarm again.
    r.firstCheck = true;
    r.elapsedMinutes = 0;
    m_rule = r;
    return true;
}
