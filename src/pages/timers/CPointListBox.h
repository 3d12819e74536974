// SPDX-License-Identifier: GPL-3.0-or-later
// A point list with its add (1443), edit (1437) and delete (1444) buttons, as the light-run
// and timer pages show it: double-click edits, edit and delete need a selected row, add a
// list that is not full. Below the list, a note when the device held more points than it shows.
#pragma once

#include <QGroupBox>

class CPointList;
class QLabel;
class QPushButton;

class CPointListBox : public QGroupBox {
    Q_OBJECT
public:
    enum { IdAdd = 1443, IdEdit = 1437, IdDelete = 1444, IdNote = 1500 };

    CPointListBox(const QString& title, const QString& add, const QString& edit, const QString& remove,
                  QWidget* parent);

    CPointList* List() const { return m_list; }
    void UpdateButtons(bool full);
    // Shows the note, or hides it for an empty text.
    void ShowNote(const QString& text);

Q_SIGNALS:
    void addRequested();
    void editRequested();
    void deleteRequested();
    void selectionChanged();

private:
    CPointList* m_list;
    QPushButton* m_add;
    QPushButton* m_edit;
    QPushButton* m_delete;
    QLabel* m_note;
};
