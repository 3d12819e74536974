// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CConnectionsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "link/CSerialPortMap.h"
#include "ui/connections/CAskUser.h"
#include "ui/connections/CEditConnectionDlg.h"
#include "ui/connections/CSerialPortListDlg.h"

namespace {
constexpr int kHeaders[] = {StringId(296), StringId(336), StringId(250), StringId(338),
                            StringId(339), StringId(340), StringId(341)};
}  // namespace

CConnectionsDlg::CConnectionsDlg(CKorvalisControlApp& app, QWidget* parent) : QDialog(parent), m_app(app)
{
    setObjectName(QStringLiteral("216"));
    setWindowTitle(Tr(21601));
    m_list = new QTableWidget(0, 7, this);
    m_list->setObjectName(QStringLiteral("1397"));
    QStringList headers;
    for (int id : kHeaders)
        headers << Tr(id);
    m_list->setHorizontalHeaderLabels(headers);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->viewport()->installEventFilter(this);

    m_new = new QPushButton(Tr(21602), this);
    m_new->setObjectName(QStringLiteral("1395"));
    m_edit = new QPushButton(Tr(21603), this);
    m_edit->setObjectName(QStringLiteral("1398"));
    m_delete = new QPushButton(Tr(21604), this);
    m_delete->setObjectName(QStringLiteral("1396"));
    m_ports = new QPushButton(Tr(21605), this);
    m_ports->setObjectName(QStringLiteral("1371"));
    m_autoConnect = new QCheckBox(Tr(21606), this);
    m_autoConnect->setObjectName(QStringLiteral("1514"));
    m_autoConnect->setChecked(app.automaticConnect);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {m_new, m_edit, m_delete})
        side->addWidget(b);
    side->addStretch();
    side->addWidget(m_ports);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("2"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_autoConnect);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_new, &QPushButton::clicked, this, &CConnectionsDlg::OnNew);
    connect(m_edit, &QPushButton::clicked, this, &CConnectionsDlg::OnEdit);
    connect(m_delete, &QPushButton::clicked, this, &CConnectionsDlg::OnDelete);
    connect(m_ports, &QPushButton::clicked, this, [this] { CSerialPortListDlg(false, this).exec(); });
    connect(m_autoConnect, &QCheckBox::toggled, this, [this](bool on) { m_app.automaticConnect = on; });
    connect(m_list, &QTableWidget::cellClicked, this, &CConnectionsDlg::OnCellClicked);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int, int column) {
        if (column != 0)
            OnEdit();
    });
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &CConnectionsDlg::UpdateButtons);

    Fill(-1);
    resize(760, 320);
}

void CConnectionsDlg::Fill(int currentRow)
{
    const CConnectionArray& list = m_app.Connections();
    const QSignalBlocker block(m_list);
    m_list->clearContents();
    m_list->setRowCount(list.GetCount());
    for (int r = 0; r < list.GetCount(); ++r) {
        const CConnection c = list.GetAt(r);
        // The box is set by this dialog only, like a radio button: a click never clears it.
        auto* check = new QTableWidgetItem;
        check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        check->setCheckState(r == list.GetSelectedIndex() ? Qt::Checked : Qt::Unchecked);
        m_list->setItem(r, 0, check);
        const QStringList cells{c.name, c.GetWhereText(), c.GetBaudText(), c.GetTypeText(),
                                QString::number(c.deviceAddress), QString::number(c.replyTimeout)};
        for (int col = 0; col < cells.size(); ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col == 1 && !c.IsTcp())
                item->setToolTip(CSerialPortMap::DevicePath(c.comPort));
            m_list->setItem(r, col + 1, item);
        }
    }
    m_list->resizeColumnsToContents();
    if (currentRow >= 0 && currentRow < list.GetCount())
        m_list->selectRow(currentRow);
    else
        m_list->setCurrentItem(nullptr);
    UpdateButtons();
}

void CConnectionsDlg::UpdateButtons()
{
    const bool current = !m_list->selectedItems().isEmpty();
    m_new->setEnabled(true);
    m_edit->setEnabled(current);
    m_delete->setEnabled(current && m_list->rowCount() >= 2);
}

void CConnectionsDlg::OnCellClicked(int row, int column)
{
    if (column != 0 || !m_list->item(row, 0) || m_list->item(row, 0)->checkState() == Qt::Checked)
        return;
    for (int r = 0; r < m_list->rowCount(); ++r)
        m_list->item(r, 0)->setCheckState(r == row ? Qt::Checked : Qt::Unchecked);
    m_app.Connections().Select(row);
}

bool CConnectionsDlg::eventFilter(QObject* watched, QEvent* event)
{
    // A double-click below the last row acts as Edit, like one on a row.
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_list->indexAt(mouse->position().toPoint()).isValid()) {
            OnEdit();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool CConnectionsDlg::RunEditor(CConnection& c, int editedRow)
{
    // Names stay unique, so that a name picks one connection (the command line's
    // --connection NAME): a taken name is refused and the editor stays open.
    const auto nameCheck = [this, editedRow](const QString& name) {
        const int existing = m_app.Connections().IndexOf(name);
        if (existing < 0 || existing == editedRow)
            return true;
        CAskUser::Ask(this, 31211, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::Ok, {name});
        return false;
    };
    if (m_runEditor)
        return m_runEditor(c, nameCheck);
    CEditConnectionDlg editor(m_app, c, this);
    editor.SetNameCheck(nameCheck);
    return editor.exec() == QDialog::Accepted;
}

void CConnectionsDlg::OnNew()
{
    CConnectionArray& list = m_app.Connections();
    if (list.IsFull()) {
        CAskUser::Ask(this, 31210, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::Ok);
        return;
    }
    CConnection c;
    c.name = list.MakeUniqueName();
    if (!RunEditor(c, -1))
        return;
    if (list.Add(c))
        Fill(list.GetCount() - 1);
}

void CConnectionsDlg::OnEdit()
{
    const int row = m_list->currentRow();
    if (row < 0 || m_list->selectedItems().isEmpty())
        return;
    CConnection c = m_app.Connections().GetAt(row);
    if (!RunEditor(c, row))
        return;
    m_app.Connections().UpdateAt(row, c);
    Fill(row);
}

void CConnectionsDlg::OnDelete()
{
    const int row = m_list->currentRow();
    if (row < 0 || m_list->selectedItems().isEmpty() || m_list->rowCount() < 2)
        return;
    m_app.Connections().Remove(row);
    Fill(-1);
}
