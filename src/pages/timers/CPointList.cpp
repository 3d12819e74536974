// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/timers/CPointList.h"

#include <QHeaderView>

CPointList::CPointList(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("1446"));
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(true);
}

void CPointList::SetColumns(const QStringList& captions, const std::vector<int>& widths) {
    setColumnCount(int(captions.size()));
    setHeaderLabels(captions);
    for (int c = 0; c < int(widths.size()); ++c) setColumnWidth(c, widths[c]);
}

void CPointList::SetRows(const std::vector<QStringList>& rows) {
    const int selected = SelectedRow();
    clear();
    for (int i = 0; i < int(rows.size()); ++i) {
        QStringList texts{QString::number(i + 1)};
        texts += rows[i];
        addTopLevelItem(new QTreeWidgetItem(texts));
    }
    if (selected >= 0 && selected < RowCount()) SelectRow(selected);
}

int CPointList::SelectedRow() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.first());
}

void CPointList::SelectRow(int row) {
    clearSelection();
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setSelected(true);
        setCurrentItem(item);
    }
}
