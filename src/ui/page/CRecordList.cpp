// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CRecordList.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

CRecordList::CRecordList(int id, const QStringList& captions, const std::vector<int>& widths,
                         QWidget* parent)
    : QTreeWidget(parent) {
    setObjectName(QString::number(id));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHeaderLabels(captions);
    header()->setStretchLastSection(true);
    // A column is never narrower than its caption, whatever the language makes of it.
    const QFontMetrics metrics(header()->font());
    for (int k = 0; k < int(widths.size()) && k < captions.size(); ++k)
        setColumnWidth(k, std::max(widths[k], metrics.horizontalAdvance(captions[k]) + 16));
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CRecordList::UpdateButton);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item) Q_EMIT editRequested(indexOfTopLevelItem(item));
    });
}

void CRecordList::SetRowCount(int count) {
    while (topLevelItemCount() > count) delete takeTopLevelItem(topLevelItemCount() - 1);
    while (topLevelItemCount() < count) new QTreeWidgetItem(this);
    UpdateButton();
}

void CRecordList::SetText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = topLevelItem(row)) item->setText(column, text);
}

QString CRecordList::Text(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

int CRecordList::SelectedRow() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.first());
}

void CRecordList::SelectRow(int row) {
    if (QTreeWidgetItem* item = topLevelItem(row)) setCurrentItem(item);
}

void CRecordList::SetEditButton(QPushButton* button) {
    m_editButton = button;
    connect(button, &QPushButton::clicked, this, [this] {
        const int row = SelectedRow();
        if (row >= 0) Q_EMIT editRequested(row);
    });
    UpdateButton();
}

void CRecordList::FitRows(int count) {
    const int row = sizeHintForRow(0) > 0 ? sizeHintForRow(0) : fontMetrics().height() + 6;
    // Room for the horizontal scroll bar too: wide columns on a narrow window bring it up,
    // and it must not hide the last row.
    const int scrollBar = horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff
                              ? 0
                              : horizontalScrollBar()->sizeHint().height();
    const int height = header()->sizeHint().height() + row * count + scrollBar + 2 * frameWidth() + 4;
    setMinimumHeight(height);
    setMaximumHeight(height);
}

void CRecordList::UpdateButton() {
    if (m_editButton) m_editButton->setEnabled(SelectedRow() >= 0);
}
