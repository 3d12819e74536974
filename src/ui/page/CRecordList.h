// SPDX-License-Identifier: GPL-3.0-or-later
// The list of a page's records (pumps, channels ...): fixed columns with captions and
// widths, one row per record, an edit button that is enabled while a row is selected.
// A double-click or the button asks the page to edit the selected row (editRequested).
#pragma once

#include <QTreeWidget>
#include <vector>

class QPushButton;

class CRecordList : public QTreeWidget {
    Q_OBJECT
public:
    // captions[k] with widths[k] pixels; the list's objectName is id.
    CRecordList(int id, const QStringList& captions, const std::vector<int>& widths,
                QWidget* parent = nullptr);

    // The list has exactly count rows afterwards (texts kept for rows that stay).
    void SetRowCount(int count);
    void SetText(int row, int column, const QString& text);
    QString Text(int row, int column) const;
    // -1 when no row is selected.
    int SelectedRow() const;
    void SelectRow(int row);
    // The button edits the selected row; it is enabled only while one is selected.
    void SetEditButton(QPushButton* button);
    // Exactly the height of count rows and the header: short lists take no more room.
    void FitRows(int count);

Q_SIGNALS:
    void editRequested(int row);

private:
    void UpdateButton();

    QPushButton* m_editButton = nullptr;
};
