// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/timers/CPointListBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "pages/timers/CPointList.h"

CPointListBox::CPointListBox(const QString& title, const QString& add, const QString& edit,
                             const QString& remove, QWidget* parent)
    : QGroupBox(title, parent), m_list(new CPointList(this)) {
    auto* outer = new QVBoxLayout(this);
    auto* layout = new QHBoxLayout;
    outer->addLayout(layout, 1);
    layout->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    const auto button = [&](int id, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::number(id));
        buttons->addWidget(b);
        return b;
    };
    m_add = button(IdAdd, add);
    m_edit = button(IdEdit, edit);
    m_delete = button(IdDelete, remove);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    m_note = new QLabel(this);
    m_note->setObjectName(QString::number(IdNote));
    m_note->setWordWrap(true);
    m_note->hide();
    outer->addWidget(m_note);
    connect(m_add, &QPushButton::clicked, this, &CPointListBox::addRequested);
    connect(m_edit, &QPushButton::clicked, this, &CPointListBox::editRequested);
    connect(m_delete, &QPushButton::clicked, this, &CPointListBox::deleteRequested);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CPointListBox::editRequested);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CPointListBox::selectionChanged);
}

int CPointListBox::SelectedRow() const {
    return m_list->SelectedRow();
}

void CPointListBox::UpdateButtons(bool full) {
    const bool selected = m_list->SelectedRow() >= 0;
    m_add->setEnabled(!full);
    m_edit->setEnabled(selected);
    m_delete->setEnabled(selected);
}

void CPointListBox::ShowNote(const QString& text) {
    m_note->setText(text);
    m_note->setVisible(!text.isEmpty());
}
