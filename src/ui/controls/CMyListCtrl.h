// SPDX-License-Identifier: GPL-3.0-or-later
// A grid whose cells (columns 1 and up) are edited in place. Edit mode, set once:
//   0 free text; 1 toggle between strings 401 and 400 on a click; 2 a number 0..100
//   (digits only, at most three).
// A click on a row that is not the current one only selects it; a click on a cell of the
// current row edits (or toggles) that cell. Scrolling ends an edit.
#pragma once

#include <QPointer>
#include <QTableWidget>

class CInPlaceEdit;

class CMyListCtrl : public QTableWidget {
    Q_OBJECT
public:
    enum EditMode { FreeText = 0, Toggle = 1, Number = 2 };

    explicit CMyListCtrl(QWidget* parent = nullptr);

    void SetEditMode(EditMode mode) { m_mode = mode; }
    EditMode GetEditMode() const { return m_mode; }
    // Convenience for pages: headings and their alignment.
    void SetColumns(const QStringList& headings, const QList<Qt::Alignment>& alignments = {});
    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);

    // Starts the editor over a cell (mode 0 and 2); returns it.
    CInPlaceEdit* EditSubLabel(int row, int column);
    CInPlaceEdit* Editor() const { return m_editor; }
    // The end of an in-place edit; a null text means cancelled. Applies the text by mode.
    void OnEndLabelEdit(int row, int column, const QString& text, bool cancelled);

Q_SIGNALS:
    // A cell's text was changed by the user (edit or toggle).
    void cellEdited(int row, int column);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    EditMode m_mode = FreeText;
    QPointer<CInPlaceEdit> m_editor;
};
