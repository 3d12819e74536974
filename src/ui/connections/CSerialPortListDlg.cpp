// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CSerialPortListDlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/CLanguage.h"

QString CSerialPortListDlg::StableName(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    }
    return {};
}

QList<CSerialPortListDlg::Port> CSerialPortListDlg::SystemPorts()
{
    QList<Port> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        Port p;
        p.path = info.systemLocation();
        p.description = info.description();
        p.manufacturer = info.manufacturer();
        p.serialNumber = info.serialNumber();
        p.stableName = StableName(p.path);
        ports << p;
    }
    std::sort(ports.begin(), ports.end(), [](const Port& a, const Port& b) { return a.path < b.path; });
    return ports;
}

QList<CSerialPortListDlg::Port> CSerialPortListDlg::ChoicePorts()
{
    QList<Port> ports = SystemPorts();
    std::stable_partition(ports.begin(), ports.end(), [](const Port& p) { return !p.stableName.isEmpty(); });
    return ports;
}

CSerialPortListDlg::CSerialPortListDlg(bool choosing, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("serialPortList"));
    setWindowTitle(Tr(31200));
    auto* layout = new QVBoxLayout(this);
    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("ports"));
    m_table->setHorizontalHeaderLabels({Tr(31201), Tr(31202), Tr(31203), Tr(31204), Tr(31205)});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);
    m_none = new QLabel(Tr(31206), this);
    m_none->setObjectName(QStringLiteral("noPorts"));
    m_none->setWordWrap(true);
    layout->addWidget(m_none);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    if (choosing) {
        m_use = buttons->addButton(Tr(31207), QDialogButtonBox::AcceptRole);
        m_use->setObjectName(QStringLiteral("use"));
        connect(m_use, &QPushButton::clicked, this, &CSerialPortListDlg::Choose);
        connect(m_table, &QTableWidget::cellDoubleClicked, this, &CSerialPortListDlg::Choose);
        connect(m_table, &QTableWidget::itemSelectionChanged, this, &CSerialPortListDlg::UpdateButtons);
    }
    auto* refresh = buttons->addButton(Tr(31391), QDialogButtonBox::ResetRole);
    refresh->setObjectName(QStringLiteral("refresh"));
    connect(refresh, &QPushButton::clicked, this, &CSerialPortListDlg::Fill);
    // Device nodes come and go in /dev as cables are plugged: follow them while open.
    auto* watcher = new QFileSystemWatcher(this);
    watcher->addPath(QStringLiteral("/dev"));
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &CSerialPortListDlg::Fill);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 320);
    Fill();
}

void CSerialPortListDlg::Fill()
{
    const int row = m_table->currentRow();
    const QString selected = row >= 0 && row < m_ports.size() ? m_ports[row].path : QString();
    m_ports = ChoicePorts();
    m_table->setRowCount(static_cast<int>(m_ports.size()));
    for (int r = 0; r < m_ports.size(); ++r) {
        const Port& p = m_ports[r];
        const QStringList cells{p.path, p.description, p.manufacturer, p.serialNumber, p.stableName};
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(cells[c]));
        if (p.path == selected)
            m_table->selectRow(r);
    }
    m_table->resizeColumnsToContents();
    m_none->setVisible(m_ports.isEmpty());
    UpdateButtons();
}

void CSerialPortListDlg::UpdateButtons()
{
    if (m_use)
        m_use->setEnabled(m_table->currentRow() >= 0 && !m_table->selectedItems().isEmpty());
}

void CSerialPortListDlg::Choose()
{
    const int row = m_table->currentRow();
    if (!m_use || row < 0 || row >= m_ports.size())
        return;
    // The by-id name survives re-plugging, where ttyUSB numbers may change.
    const Port& p = m_ports[row];
    m_chosen = p.stableName.isEmpty() ? p.path : p.stableName;
    accept();
}
