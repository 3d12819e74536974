// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sms/CEditSMS.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QEvent>
#include <QSpinBox>
#include <QTimeEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "lang/CLanguage.h"

namespace {
constexpr int kEventText[] = {StringId(376), StringId(377), StringId(378), StringId(379),
                              StringId(385)};
constexpr int kConditionText[] = {StringId(442), StringId(443), StringId(444), StringId(445)};
constexpr int kEventOrder[] = {0, 2, 1, 3, 4, 5, 6, 7, 8, 9};

template <class T>
T* Named(T* w, int id) {
    w->setObjectName(QString::number(id));
    return w;
}
}  // namespace

QString CEditSMS::EventName(int event) {
    if (event >= 0 && event <= 4) return Tr(kEventText[event]);
    if (event >= 5 && event <= 8) return Tr(386) + QLatin1Char(' ') + QString::number(event - 4);
    if (event == 9) return Tr(441);
    return QString::number(event);
}

QString CEditSMS::ConditionName(int condition) {
    return condition >= 0 && condition <= 3 ? Tr(kConditionText[condition])
                                            : QString::number(condition);
}

QList<int> CEditSMS::ConditionsFor(int event) {
    if (event == 0 || event == 2) return {};
    if (event == 1) return {2, 3};
    return {2, 3, 0, 1};
}

CEditSMS::CEditSMS(const CSMS& entry, QWidget* parent) : CFieldDialog(23181, parent), m_rec(entry) {
    setWindowTitle(Tr(42630));
    auto* form = new QFormLayout;
    m_recipient = Named(new QLineEdit(m_rec.recipient, this), IdRecipient);
    m_recipient->setMaxLength(CSMS::MaxLength);
    m_text = Named(new QPlainTextEdit(EditorText(m_rec.text), this), IdText);
    m_text->setTabChangesFocus(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFixedHeight(m_text->fontMetrics().lineSpacing() * 3 + 2 * m_text->frameWidth() +
                           static_cast<int>(2 * m_text->document()->documentMargin()));
    m_text->installEventFilter(this);
    m_acceptedText = m_text->toPlainText();
    m_code = Named(new QLineEdit(m_rec.code, this), IdCode);
    m_code->setMaxLength(CSMS::MaxCodeLength);
    m_codeCaption = Named(new QLabel(Tr(42631), this), IdCodeCaption);
    m_event = Named(new QComboBox(this), IdEvent);
    for (int e : kEventOrder) m_event->addItem(EventName(e), e);
    m_condition = Named(new QComboBox(this), IdCondition);
    m_conditionCaption = new QLabel(Tr(42632), this);
    m_timeCaption = Named(new QLabel(this), IdTimeCaption);
    m_time = Named(new QTimeEdit(this), IdTime);
    m_value1 = Named(new QSpinBox(this), IdValue1);
    m_value1->setRange(1, 30);
    m_value2 = Named(new QSpinBox(this), IdValue2);
    m_value2->setRange(1, 10);
    m_flag = Named(new QCheckBox(Tr(42633), this), IdFlag);
    for (QWidget* w : {static_cast<QWidget*>(m_recipient), static_cast<QWidget*>(m_text)})
        w->setMinimumWidth(200);
    form->addRow(Tr(446), m_recipient);
    form->addRow(Tr(311), m_text);
    form->addRow(Tr(42634), m_event);
    form->addRow(m_codeCaption, m_code);
    form->addRow(m_conditionCaption, m_condition);
    form->addRow(m_timeCaption, m_time);
    form->addRow(Tr(42635), m_value1);
    form->addRow(Tr(42636), m_value2);
    form->addRow(m_flag);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(layout);

    m_value1->setValue(m_rec.value1);
    m_value2->setValue(m_rec.value2);
    m_flag->setChecked(m_rec.flag != 0);
    m_time->setTime(QTime(m_rec.minutes / 60 % 24, m_rec.minutes % 60));
    SelectEvent(m_rec.event);
    const int c = m_condition->findData(m_rec.condition);
    if (c >= 0) m_condition->setCurrentIndex(c);
    UpdateControlStates();

    connect(m_recipient, &QLineEdit::editingFinished, this,
            [this] { m_recipient->setText(CSMS::NormalisePhoneNumber(m_recipient->text())); });
    connect(m_text, &QPlainTextEdit::textChanged, this, &CEditSMS::LimitText);
    connect(m_event, &QComboBox::activated, this, [this] {
        FillConditions();
        UpdateControlStates();
    });
    connect(m_condition, &QComboBox::activated, this, [this] { UpdateControlStates(); });
}

QString CEditSMS::EditorText(const QString& moduleText) {
    QString t = moduleText;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return t;
}

QString CEditSMS::ModuleText(const QString& editorText) {
    QString t = EditorText(editorText);
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return CSMS::FilterText(t);
}

QString CEditSMS::TypedText() const {
    // An entry taken over unchanged keeps the module's own bytes (a lone CR or LF stays).
    const QString typed = m_text->toPlainText();
    return typed == EditorText(m_rec.text) ? m_rec.text : ModuleText(typed);
}

void CEditSMS::LimitText() {
    // The module holds 20 characters, a line break counting two: an edit past that is undone.
    QString raw = m_text->toPlainText();
    raw.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    if (raw.size() <= CSMS::MaxLength) {
        m_acceptedText = m_text->toPlainText();
        return;
    }
    const QSignalBlocker quiet(m_text);
    m_text->setPlainText(m_acceptedText);
    m_text->moveCursor(QTextCursor::End);
}

bool CEditSMS::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::FocusOut) {
        const QString shown = EditorText(TypedText());
        if (shown != m_text->toPlainText()) m_text->setPlainText(shown);
    }
    return CFieldDialog::eventFilter(watched, event);
}

void CEditSMS::SelectEvent(int event) {
    m_event->setCurrentIndex(m_event->findData(event));
    FillConditions();
    UpdateControlStates();
}

void CEditSMS::FillConditions() {
    m_condition->clear();
    for (int c : ConditionsFor(SelectedEvent())) m_condition->addItem(ConditionName(c), c);
    if (m_condition->count() > 0) m_condition->setCurrentIndex(0);
}

int CEditSMS::SelectedEvent() const {
    return m_event->currentIndex() < 0 ? 0 : m_event->currentData().toInt();
}

int CEditSMS::SelectedCondition() const {
    return m_condition->currentIndex() < 0 ? 3 : m_condition->currentData().toInt();
}

void CEditSMS::UpdateControlStates() {
    if (!m_flag) return;
    const int event = SelectedEvent();
    const bool hasConditions = m_condition->count() > 0;
    m_condition->setVisible(hasConditions);
    m_conditionCaption->setVisible(hasConditions);
    if (event == 3) m_flag->setChecked(false);
    m_flag->setVisible(event != 3);
    m_code->setVisible(event == 2);
    m_codeCaption->setVisible(event == 2);
    const int condition = SelectedCondition();
    const bool timed = hasConditions && (condition == 2 || condition == 3);
    m_time->setVisible(timed);
    m_timeCaption->setVisible(timed);
    if (condition == 2) {
        m_timeCaption->setText(Tr(457));
        m_time->setDisplayFormat(QStringLiteral("H:mm"));
    } else if (condition == 3) {
        m_timeCaption->setText(Tr(456));
        m_time->setDisplayFormat(QLocale::system().timeFormat(QLocale::ShortFormat));
    }
}

bool CEditSMS::Validate() {
    m_rec.recipient = CSMS::NormalisePhoneNumber(m_recipient->text());
    m_rec.text = TypedText();
    m_rec.code = m_code->text().left(CSMS::MaxCodeLength);
    m_rec.event = static_cast<uint8_t>(SelectedEvent());
    m_rec.condition = static_cast<uint8_t>(SelectedCondition());
    const QTime t = m_time->time();
    m_rec.minutes = t.hour() * 60 + t.minute();
    m_rec.value1 = static_cast<uint8_t>(m_value1->value());
    m_rec.flag = m_flag->isChecked() ? 1 : 0;
    m_rec.value2 = static_cast<uint8_t>(m_value2->value());
    return true;
}
