// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CBrowser.h"

#include <QHeaderView>

#include "app/CKorvalisControlApp.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/sheet/CMyPropertySheet.h"

CBrowser::CBrowser(CMyPropertySheet* sheet, QWidget* parent) : QTreeWidget(parent), m_sheet(sheet) {
    setObjectName(QStringLiteral("102"));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(true);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CBrowser::OnSelectionChanged);
}

CMyPropertyPage* CBrowser::PageOf(const QTreeWidgetItem* item) {
    if (!item) return nullptr;
    return reinterpret_cast<CMyPropertyPage*>(item->data(0, Qt::UserRole).value<quintptr>());
}

void CBrowser::Clear() {
    clearSelection();
    clear();
    m_lastSelected = nullptr;
}

QTreeWidgetItem* CBrowser::FindTopLevel(const QString& text) const {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->text(0) == text) return topLevelItem(i);
    return nullptr;
}

void CBrowser::Build(const QList<CMyPropertyPage*>& pages) {
    Clear();
    for (CMyPropertyPage* page : pages) {
        QTreeWidgetItem* parent = nullptr;
        if (!page->GroupText().isEmpty()) {
            parent = FindTopLevel(page->GroupText());
            if (!parent) {
                parent = new QTreeWidgetItem(this, {page->GroupText()});
                parent->setFlags(Qt::ItemIsEnabled);
            }
        }
        auto* item = parent ? new QTreeWidgetItem(parent, {page->Caption()})
                            : new QTreeWidgetItem(this, {page->Caption()});
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(page)));
        page->SetTreeItem(item);
    }
    expandAll();
}

void CBrowser::OnSelectionChanged() {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    QTreeWidgetItem* item = selected.isEmpty() ? nullptr : selected.first();
    if (item == m_lastSelected) return;
    m_lastSelected = item;
    if (m_sheet->IsTreeBusy()) return;
    CMyPropertyPage* page = PageOf(item);
    if (!page || page == m_sheet->ActivePage()) return;
    // No page changes while a transfer runs; keep the tree on the page that is shown.
    if (CKorvalisControlApp::Instance().IsTransferInProgress()) {
        m_sheet->SelectTreeItemOf(m_sheet->ActivePage());
        return;
    }
    m_sheet->ActivatePage(page);
}
