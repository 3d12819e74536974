// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CBindingSet.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>

#include "ui/page/CEditSpin.h"
#include "ui/page/PageConversions.h"

CBindingSet::CBindingSet(QWidget* owner, const bool& filling)
    : QObject(owner), m_owner(owner), m_filling(filling) {}

void CBindingSet::ToControls() {
    for (Binding& b : m_bindings)
        if (b.control) b.toControl();
}

void CBindingSet::ToFields() {
    for (Binding& b : m_bindings)
        if (b.control) b.toField();
}

void CBindingSet::Add(QWidget* control, std::function<void()> toControl,
                      std::function<void()> toField) {
    m_bindings.push_back({control, std::move(toControl), std::move(toField)});
}

void CBindingSet::Edited(int key) {
    if (m_filling || m_restoring) return;
    if (acceptEdit && !acceptEdit(key)) {
        // The fields still hold the values before the edit.
        m_restoring = true;
        ToControls();
        m_restoring = false;
        return;
    }
    ToFields();
    if (edited) edited(key);
}

void CBindingSet::Typed(CEditSpin* control, Key key) {
    if (m_filling || m_restoring) return;
    if (acceptEdit && !acceptEdit(key())) {
        m_restoring = true;
        ToControls();
        m_restoring = false;
        return;
    }
    if (typed) typed(key());
}

CEditSpin* CBindingSet::EditSpin(int id, double& field, Key key, double factor, double minimum,
                                 double maximum) {
    return EditSpin(new CEditSpin(id, factor, minimum, maximum, m_owner), field, key);
}

CEditSpin* CBindingSet::EditSpin(CEditSpin* c, double& field, Key key) {
    Add(
        c, [c, &field] { c->SetValueQuietly(field); },
        [c, &field] {
            c->CommitTypedText();
            field = c->value();
        });
    connect(c, &CEditSpin::valueEdited, this, [this, key] { Edited(key()); });
    connect(c, &CEditSpin::textTyped, this, [this, c, key] { Typed(c, key); });
    return c;
}

QCheckBox* CBindingSet::Check(int id, bool& field, Key key, const QString& text) {
    auto* c = new QCheckBox(text, m_owner);
    c->setObjectName(QString::number(id));
    Add(
        c, [c, &field] { c->setChecked(field); }, [c, &field] { field = c->isChecked(); });
    connect(c, &QCheckBox::toggled, this, [this, key] { Edited(key()); });
    return c;
}

QComboBox* CBindingSet::Combo(int id, int& field, Key key, const QStringList& items) {
    auto* c = new QComboBox(m_owner);
    c->setObjectName(QString::number(id));
    c->addItems(items);
    Add(
        c, [c, &field] { c->setCurrentIndex(field >= 0 && field < c->count() ? field : -1); },
        [c, &field] {
            if (c->currentIndex() >= 0) field = c->currentIndex();
        });
    connect(c, &QComboBox::currentIndexChanged, this, [this, key] { Edited(key()); });
    return c;
}

QLineEdit* CBindingSet::LineEdit(int id, QString& field, Key key, int maxLength) {
    auto* c = new QLineEdit(m_owner);
    c->setObjectName(QString::number(id));
    if (maxLength > 0) c->setMaxLength(maxLength);
    // A device text longer than the control takes is kept whole while the control still
    // shows its beginning.
    Add(
        c, [c, &field] { c->setText(field); },
        [c, &field] {
            if (c->text() != field.left(c->maxLength())) field = c->text();
        });
    connect(c, &QLineEdit::textEdited, this, [this, key] { Edited(key()); });
    return c;
}

QTimeEdit* CBindingSet::Time(int id, int& field, Key key, bool withSeconds) {
    auto* c = new QTimeEdit(m_owner);
    c->setObjectName(QString::number(id));
    PageConversions::ConfigureTimePicker(c, withSeconds);
    // A picker cannot show a device value beyond a day; the value is kept while the picker
    // still shows what it was given, so only the user's change replaces it.
    if (withSeconds)
        Add(
            c, [c, &field] { c->setTime(SecondsToTime(field)); },
            [c, &field] {
                if (c->time() != SecondsToTime(field)) field = TimeToSeconds(c->time());
            });
    else
        Add(
            c, [c, &field] { c->setTime(MinutesToTime(field)); },
            [c, &field] {
                if (c->time() != MinutesToTime(field)) field = TimeToMinutes(c->time());
            });
    connect(c, &QTimeEdit::timeChanged, this, [this, key] { Edited(key()); });
    return c;
}

QDateEdit* CBindingSet::Date(int id, int& field, Key key) {
    auto* c = new QDateEdit(m_owner);
    c->setObjectName(QString::number(id));
    PageConversions::ConfigureDatePicker(c);
    Add(
        c, [c, &field] { c->setDate(DayNumberToDate(field)); },
        [c, &field] {
            if (c->date() != DayNumberToDate(field)) field = DateToDayNumber(c->date());
        });
    connect(c, &QDateEdit::dateChanged, this, [this, key] { Edited(key()); });
    return c;
}

QButtonGroup* CBindingSet::Radio(const std::vector<int>& ids, int& field, Key key,
                                 const QStringList& texts) {
    auto* group = new QButtonGroup(m_owner);
    for (size_t k = 0; k < ids.size(); ++k) {
        auto* b = new QRadioButton(int(k) < texts.size() ? texts[int(k)] : QString(), m_owner);
        b->setObjectName(QString::number(ids[k]));
        group->addButton(b, int(k));
        // The first button carries the binding; its lifetime is the group's.
        if (k == 0)
            Add(
                b,
                [group, &field] {
                    QAbstractButton* on = group->button(field);
                    if (on) {
                        on->setChecked(true);
                        return;
                    }
                    // No button for the value: none checked, and the value is kept.
                    group->setExclusive(false);
                    for (QAbstractButton* x : group->buttons()) x->setChecked(false);
                    group->setExclusive(true);
                },
                [group, &field] {
                    if (group->checkedId() >= 0) field = group->checkedId();
                });
    }
    connect(group, &QButtonGroup::idToggled, this, [this, key](int, bool on) {
        if (on) Edited(key());
    });
    return group;
}

std::vector<QCheckBox*> CBindingSet::Bits(const std::vector<int>& ids, uint32_t& mask, Key key,
                                          const QStringList& texts, int firstBit) {
    std::vector<QCheckBox*> boxes;
    for (size_t k = 0; k < ids.size(); ++k) {
        auto* c = new QCheckBox(int(k) < texts.size() ? texts[int(k)] : QString(), m_owner);
        c->setObjectName(QString::number(ids[k]));
        const uint32_t bit = 1u << (firstBit + int(k));
        Add(
            c, [c, &mask, bit] { c->setChecked((mask & bit) != 0); },
            [c, &mask, bit] { mask = c->isChecked() ? (mask | bit) : (mask & ~bit); });
        connect(c, &QCheckBox::toggled, this, [this, key] { Edited(key()); });
        boxes.push_back(c);
    }
    return boxes;
}

QLabel* CBindingSet::Label(int id, std::function<QString()> text) {
    auto* c = new QLabel(m_owner);
    c->setObjectName(QString::number(id));
    c->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Add(
        c, [c, text = std::move(text)] { c->setText(text()); }, [] {});
    return c;
}
