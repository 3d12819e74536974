// SPDX-License-Identifier: GPL-3.0-or-later
// The cell editor of CMyListCtrl. Enter ends the edit, Escape cancels it; losing the focus
// hands the text to the list and removes the editor. It widens with the text, up to the
// list's right edge.
#pragma once

#include <QLineEdit>

class CMyListCtrl;

class CInPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    CInPlaceEdit(CMyListCtrl* list, int row, int column, const QString& text, bool digitsOnly);

    bool IsCancelled() const { return m_cancelled; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Widen();
    void Finish();

    CMyListCtrl* m_list;
    int m_row;
    int m_column;
    bool m_cancelled = false;
    bool m_finished = false;
};
