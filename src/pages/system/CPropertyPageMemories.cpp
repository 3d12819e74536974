// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/CPropertyPageMemories.h"
#include "base/SaturatingCast.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CPageTable.h"
#include "ui/page/PageConversions.h"

KORVALIS_REGISTER_PAGE(CPropertyPageMemories);

namespace {
const QDate kOffDate(1999, 1, 1);
const QDate kLastDate(2099, 12, 31);

bool IsControlByte(uint8_t b) {
    return b < 0x20 || (b >= 0x7F && b < 0xA0);
}
}  // namespace

CPropertyPageMemories::CPropertyPageMemories() = default;

std::array<uint16_t, 8> CPropertyPageMemories::TextWords(const QString& text) {
    QByteArray bytes = text.left(kTextLength).toLatin1();
    bytes = bytes.leftJustified(kTextLength, ' ', true);
    std::array<uint16_t, 8> words{};
    for (int i = 0; i < 8; ++i)
        words[size_t(i)] = uint16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    return words;
}

QString CPropertyPageMemories::WordsText(const std::array<uint16_t, 8>& words) {
    QString text;
    for (uint16_t w : words)
        for (uint8_t b : {uint8_t(w & 0xFF), uint8_t(w >> 8)})
            text += b == 0 ? QChar(u' ') : IsControlByte(b) ? QChar(u'?') : QChar(char16_t(b));
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    return text;
}

QString CPropertyPageMemories::Spelt(const QString& text) {
    static const std::pair<char16_t, const char*> kLetters[] = {
        {u'ä', "ae"}, {u'ö', "oe"}, {u'ü', "ue"}, {u'Ä', "Ae"},
        {u'Ö', "Oe"}, {u'Ü', "Ue"}, {u'ß', "ss"},
    };
    QString out;
    for (QChar c : text) {
        const auto* hit = std::find_if(std::begin(kLetters), std::end(kLetters),
                                       [c](const auto& l) { return l.first == c.unicode(); });
        out += hit != std::end(kLetters) ? QString::fromLatin1(hit->second) : QString(c);
    }
    return out.left(kTextLength);
}

int CPropertyPageMemories::Today() const {
    auto* self = const_cast<CPropertyPageMemories*>(this);
    return SaturatingCast<int>(self->FieldOf(kToday)->Value());
}

bool CPropertyPageMemories::IsOn(int m) const {
    auto* self = const_cast<CPropertyPageMemories*>(this);
    return self->FieldOf(Base(m))->Value() != kOff;
}

bool CPropertyPageMemories::IsDue(int m) const {
    // What the controller holds, not an edit: a due reminder stays due until the controller
    // moves its day.
    return IsRead() && LastRaw(Base(m)) != uint32_t(kOff) && int64_t(LastRaw(Base(m))) == Today();
}

void CPropertyPageMemories::DeclareFields() {
    Hidden(kToday).ReadOnly();
    std::vector<int> order{kToday};
    for (int m = 0; m < kReminders; ++m) {
        const int b = Base(m);
        Hidden(b);
        Check(b + 1, ControlId(IdOption, m), Tr(33062));
        Real(b + 2, ControlId(IdInterval, m)).Range(1, 500).Spin(1, 500);
        Control(ControlId(IdInterval, m))->setMinimumWidth(80);
        for (int w = 0; w < 8; ++w) Hidden(b + 3 + w).Key(TextKey(m));
        for (int n = b; n <= b + 10; ++n) order.push_back(n);

        Row& row = m_rows[size_t(m)];
        row.on = new QCheckBox(Tr(33061), this);
        row.on->setObjectName(QString::number(ControlId(IdOn, m)));
        Bind(
            row.on, [this, m] { m_rows[size_t(m)].on->setChecked(IsOn(m)); },
            [this, m, b] {
                const bool checked = m_rows[size_t(m)].on->isChecked();
                if (checked == IsOn(m)) return;
                FieldOf(b)->SetValue(checked ? Today() + FieldOf(b + 2)->Value() : kOff);
            });
        connect(row.on, &QCheckBox::clicked, this, [this, b] { ControlEdited(b); });

        row.text = new QLineEdit(this);
        row.text->setObjectName(QString::number(ControlId(IdText, m)));
        row.text->setMaxLength(kTextLength);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(20);
        font.setBold(true);
        row.text->setFont(font);
        row.text->setMinimumWidth(row.text->fontMetrics().horizontalAdvance(QString(kTextLength, u'W')) * 3 / 4);
        Bind(
            row.text,
            [this, m, b] {
                std::array<uint16_t, 8> words{};
                for (int w = 0; w < 8; ++w) words[size_t(w)] = SaturatingCast<uint16_t>(FieldOf(b + 3 + w)->Value());
                m_rows[size_t(m)].text->setText(WordsText(words));
            },
            [this, m, b] {
                const auto words = TextWords(Spelt(m_rows[size_t(m)].text->text()));
                for (int w = 0; w < 8; ++w) FieldOf(b + 3 + w)->SetValue(words[size_t(w)]);
            });
        connect(row.text, &QLineEdit::textEdited, this, [this, m] { ControlEdited(TextKey(m)); });
        connect(row.text, &QLineEdit::editingFinished, this, [this, m] {
            QLineEdit* edit = m_rows[size_t(m)].text;
            const QString spelt = Spelt(edit->text());
            if (spelt != edit->text()) {
                edit->setText(spelt);
                ControlEdited(TextKey(m));
            }
        });

        row.due = new QDateEdit(this);
        row.due->setObjectName(QString::number(ControlId(IdDue, m)));
        PageConversions::ConfigureDatePicker(row.due);
        row.due->setCalendarPopup(false);
        row.due->setDateRange(kOffDate, kLastDate);  // 1 January 1999 stands for "off"
        row.due->setReadOnly(true);
        row.due->setButtonSymbols(QAbstractSpinBox::NoButtons);
        row.due->setFocusPolicy(Qt::NoFocus);
        Bind(row.due, [this, m] { ShowDue(m); }, [] {});

        row.indicator = new QLabel(Tr(33064), this);
        row.indicator->setObjectName(QString::number(ControlId(IdIndicator, m)));
        row.indicator->setStyleSheet(QStringLiteral("QLabel { color: #b00020; font-weight: bold; }"));
        row.indicator->hide();
    }
    ReadOrder(order);
    PageTopic(85);
}

void CPropertyPageMemories::ShowDue(int m) {
    const double day = FieldOf(Base(m))->Value();
    const QDate date = day == kOff ? kOffDate : PageConversions::DayNumberToDate(int64_t(day));
    m_rows[size_t(m)].due->setDate(std::clamp(date.isValid() ? date : kOffDate, kOffDate, kLastDate));
}

void CPropertyPageMemories::OnValueEdited(int key) {
    for (int m = 0; m < kReminders; ++m) {
        const int b = Base(m);
        if (key == b + 2 && IsOn(m)) {
            FieldOf(b)->SetValue(Today() + FieldOf(b + 2)->Value());
            SetChanged(b);
        }
        if (key == b || key == b + 2) ShowDue(m);
    }
}

bool CPropertyPageMemories::WriteValues() {
    // The due day follows today and the interval as they stand when the values go out.
    for (int m = 0; m < kReminders; ++m) {
        const int b = Base(m);
        if (IsOn(m) && (IsChanged(b) || IsChanged(b + 2))) {
            FieldOf(b)->SetValue(Today() + FieldOf(b + 2)->Value());
            SetChanged(b);
        }
    }
    return CMyPropertyPage::WriteValues();
}

void CPropertyPageMemories::UpdateControlStates() {
    for (int m = 0; m < kReminders; ++m) {
        const Row& row = m_rows[size_t(m)];
        if (!row.on) continue;
        const bool due = IsDue(m);
        const bool editable = !due && row.on->isChecked();
        row.indicator->setVisible(due);
        row.on->setEnabled(!due);
        Control(ControlId(IdOption, m))->setEnabled(editable);
        Control(ControlId(IdInterval, m))->setEnabled(editable);
        row.text->setEnabled(editable);
    }
}

void CPropertyPageMemories::CreateControls() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int m = 0; m < kReminders; ++m) {
        const Row& row = m_rows[size_t(m)];
        auto* box = new QGroupBox(CPageTable::NumberedCaption(Tr(33060), m + 1), this);
        auto* layout = new QGridLayout(box);
        layout->addWidget(row.on, 0, 0);
        layout->addWidget(Control(ControlId(IdOption, m)), 0, 1);
        auto* interval = new QHBoxLayout;
        interval->addWidget(new QLabel(Tr(33063), box));
        interval->addWidget(Control(ControlId(IdInterval, m)));
        interval->addStretch(1);
        layout->addLayout(interval, 0, 2);
        layout->addWidget(row.text, 1, 0, 1, 3);
        auto* due = new QHBoxLayout;
        due->addWidget(new QLabel(Tr(33065), box));
        due->addWidget(row.due);
        due->addSpacing(12);
        due->addWidget(row.indicator);
        due->addStretch(1);
        layout->addLayout(due, 2, 0, 1, 3);
        layout->setColumnStretch(2, 1);
        grid->addWidget(box, m / 2, m % 2);
    }
    auto* note = new QLabel(Tr(33066), this);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
}
