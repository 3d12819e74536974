// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/CInPlaceEdit.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

#include "ui/controls/CMyListCtrl.h"

CInPlaceEdit::CInPlaceEdit(CMyListCtrl* list, int row, int column, const QString& text,
                           bool digitsOnly)
    : QLineEdit(text, list->viewport()), m_list(list), m_row(row), m_column(column) {
    setObjectName(QStringLiteral("inPlaceEdit"));
    setFont(list->font());
    setFrame(true);
    if (digitsOnly) {
        setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
        setMaxLength(3);
    }
    connect(this, &QLineEdit::textEdited, this, &CInPlaceEdit::Widen);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_list->setFocus();
            Finish();
            return;
        case Qt::Key_Escape:
            m_cancelled = true;
            m_list->setFocus();
            Finish();
            return;
        default:
            QLineEdit::keyPressEvent(event);
    }
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    Finish();
}

void CInPlaceEdit::Widen() {
    const int wanted = fontMetrics().horizontalAdvance(text()) + 5 + 2 * 4;
    const int limit = m_list->viewport()->width() - x();
    if (wanted > width()) resize(std::min(wanted, limit), height());
}

void CInPlaceEdit::Finish() {
    if (m_finished) return;
    m_finished = true;
    m_list->OnEndLabelEdit(m_row, m_column, m_cancelled ? QString() : text(), m_cancelled);
    hide();
    deleteLater();
}
