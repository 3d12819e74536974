// SPDX-License-Identifier: GPL-3.0-or-later
// The list of a run's or a timer's points (control 1446): numbered rows, columns given by
// the page, one row selected at most.
#pragma once

#include <QStringList>
#include <QTreeWidget>
#include <vector>

class CPointList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CPointList(QWidget* parent = nullptr);

    // Column captions and widths; the first column is the row number.
    void SetColumns(const QStringList& captions, const std::vector<int>& widths);
    // One row per point (without the number, which the list adds from 1); the selection
    // stays on the same row index where it still exists.
    void SetRows(const std::vector<QStringList>& rows);
    // -1 when none is selected.
    int SelectedRow() const;
    void SelectRow(int row);
    int RowCount() const { return topLevelItemCount(); }

    QSize sizeHint() const override { return {420, 180}; }
};
