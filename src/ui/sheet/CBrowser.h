// SPDX-License-Identifier: GPL-3.0-or-later
// The navigation tree: one item per page, pages grouped under items of their group text.
#pragma once

#include <QTreeWidget>

class CMyPropertyPage;
class CMyPropertySheet;

class CBrowser : public QTreeWidget {
    Q_OBJECT
public:
    explicit CBrowser(CMyPropertySheet* sheet, QWidget* parent = nullptr);

    static CMyPropertyPage* PageOf(const QTreeWidgetItem* item);
    // Rebuilds the items for the pages, in order (group items in order of their first page).
    void Build(const QList<CMyPropertyPage*>& pages);
    void Clear();
    // Width the items need, indentation included.
    int ContentWidth() const { return sizeHintForColumn(0); }
    // The item whose text is exactly the given text among the top-level items, or nullptr.
    QTreeWidgetItem* FindTopLevel(const QString& text) const;

private:
    void OnSelectionChanged();

    CMyPropertySheet* m_sheet;
    QTreeWidgetItem* m_lastSelected = nullptr;
};
