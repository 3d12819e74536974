// SPDX-License-Identifier: GPL-3.0-or-later
// A point list with its add (1443), edit (1437) and delete (1444) buttons, as the light-run
// and timer pages show it: double-click edits, edit and delete need a selected row, add a
// list that is not full. Below the list, a note when the device held more points than it shows.
// Manage() does the editing of a page's points, so each page says only how one point is edited.
#pragma once

#include <QGroupBox>
#include <functional>
#include <vector>

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
    // The selected row, -1 for none.
    int SelectedRow() const;

    // Add inserts a new point before the selected row (at the end without one) unless the
    // list holds max points; edit changes the selected point; delete removes it. A new or
    // changed point goes through edit (the page's point dialog; false = cancelled) and tidy
    // (a sort, say; may be empty); every change ends in changed(). owner ends the wiring.
    template <class Point, class Edit>
    void Manage(QObject* owner, std::vector<Point>& points, int max, Edit edit, std::function<void()> tidy,
                std::function<void()> changed) {
        const auto selected = [this, &points] {
            const int row = SelectedRow();
            return row >= 0 && row < int(points.size()) ? row : -1;
        };
        const auto done = [tidy, changed] {
            if (tidy) tidy();
            changed();
        };
        connect(this, &CPointListBox::addRequested, owner, [&points, max, edit, done, selected] {
            if (int(points.size()) >= max) return;
            Point point{};
            if (!edit(point)) return;
            const int row = selected();
            points.insert(row >= 0 ? points.begin() + row : points.end(), point);
            done();
        });
        connect(this, &CPointListBox::editRequested, owner, [&points, edit, done, selected] {
            const int row = selected();
            if (row < 0) return;
            Point point = points[size_t(row)];
            if (!edit(point)) return;
            points[size_t(row)] = point;
            done();
        });
        connect(this, &CPointListBox::deleteRequested, owner, [&points, changed, selected] {
            const int row = selected();
            if (row < 0) return;
            points.erase(points.begin() + row);
            changed();
        });
        connect(this, &CPointListBox::selectionChanged, owner,
                [this, &points, max] { UpdateButtons(int(points.size()) >= max); });
    }
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
