// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CSelectIPAddress.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/CLanguage.h"

CSelectIPAddress::CSelectIPAddress(const QStringList& addresses, QString& result, QWidget* parent)
    : QDialog(parent), m_result(result)
{
    setObjectName(QStringLiteral("235"));
    setWindowTitle(Tr(23501));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Tr(23502), this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("1492"));
    m_list->addItems(addresses);  // arrival order, duplicates kept
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelectIPAddress::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CSelectIPAddress::UpdateOk);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    UpdateOk();
}

void CSelectIPAddress::UpdateOk()
{
    m_ok->setEnabled(!m_list->selectedItems().isEmpty());
}

void CSelectIPAddress::accept()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    m_result = selected.first()->text();
    QDialog::accept();
}
