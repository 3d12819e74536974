// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/CMyListCtrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "lang/CLanguage.h"
#include "ui/controls/CInPlaceEdit.h"

CMyListCtrl::CMyListCtrl(QWidget* parent) : QTableWidget(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setAlternatingRowColors(true);
    // Scrolling moves the focus to the list, which ends an edit in progress.
    auto takeFocus = [this] {
        if (m_editor) setFocus();
    };
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, takeFocus);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, takeFocus);
}

void CMyListCtrl::SetColumns(const QStringList& headings, const QList<Qt::Alignment>& alignments) {
    setColumnCount(static_cast<int>(headings.size()));
    for (int c = 0; c < headings.size(); ++c) {
        auto* item = new QTableWidgetItem(headings[c]);
        item->setTextAlignment(c < alignments.size() ? alignments[c]
                                                     : (Qt::AlignLeft | Qt::AlignVCenter));
        setHorizontalHeaderItem(c, item);
    }
}

QString CMyListCtrl::Text(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

void CMyListCtrl::SetText(int row, int column, const QString& text) {
    QTableWidgetItem* it = item(row, column);
    if (!it) {
        it = new QTableWidgetItem;
        const QTableWidgetItem* header = horizontalHeaderItem(column);
        if (header) it->setTextAlignment(header->textAlignment());
        setItem(row, column, it);
    }
    it->setText(text);
}

void CMyListCtrl::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const int focusedRow = currentRow();
    QTableWidget::mousePressEvent(event);
    if (!index.isValid() || event->button() != Qt::LeftButton) return;
    // The first click on a row only selects it.
    if (index.row() != focusedRow || index.column() < 1) return;
    if (m_mode == Toggle) {
        const QString on = Tr(401);
        SetText(index.row(), index.column(),
                Text(index.row(), index.column()) == on ? Tr(400) : on);
        Q_EMIT cellEdited(index.row(), index.column());
        return;
    }
    EditSubLabel(index.row(), index.column());
}

CInPlaceEdit* CMyListCtrl::EditSubLabel(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 1 || column >= columnCount() || m_mode == Toggle)
        return nullptr;
    if (m_editor) setFocus();  // ends the previous edit
    scrollTo(model()->index(row, column), QAbstractItemView::EnsureVisible);
    QRect rect = visualRect(model()->index(row, column));
    rect.setRight(std::min(rect.right(), viewport()->width() - 1));
    const QTableWidgetItem* header = horizontalHeaderItem(column);
    const Qt::Alignment align = header ? Qt::Alignment(header->textAlignment()) : Qt::AlignLeft;
    m_editor = new CInPlaceEdit(this, row, column, Text(row, column), m_mode == Number);
    m_editor->setAlignment(align);
    m_editor->setGeometry(rect);
    m_editor->show();
    m_editor->setFocus();
    m_editor->selectAll();
    return m_editor;
}

void CMyListCtrl::OnEndLabelEdit(int row, int column, const QString& text, bool cancelled) {
    if (cancelled || row < 0 || row >= rowCount()) return;
    QString applied = text;
    if (m_mode == Number) {
        bool ok = false;
        const int value = text.toInt(&ok);
        applied = QString::number(ok ? std::clamp(value, 0, 100) : 0);
    }
    if (applied == Text(row, column)) return;
    SetText(row, column, applied);
    Q_EMIT cellEdited(row, column);
}
