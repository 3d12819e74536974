// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/CPropertyPageMaintenance.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CPageTable.h"
#include "ui/controls/CInPlaceEdit.h"
#include "ui/services/CMessageService.h"
#include "ui/controls/CMyListCtrl.h"

KORVALIS_REGISTER_PAGE(CPropertyPageMaintenance);

namespace {
constexpr int kIncluded1 = 800;  // sockets 1-16; 801: 17-32
constexpr int kStates1 = 802;    // 803: 17-32
constexpr int kFirstLevel = 804;
constexpr int kInterfaceMask = 814;
constexpr int kMaxInterfaces = 10;  // 804 .. 813
// Change keys: each list goes out as a whole.
constexpr int kSocketsKey = -800;
constexpr int kInterfacesKey = -814;

// The word (first or second) and bit of socket row k.
int WordOf(int row) {
    return row / 16;
}
uint32_t BitOf(int row) {
    return 1u << (row % 16);
}
}  // namespace

CPropertyPageMaintenance::CPropertyPageMaintenance() = default;

int CPropertyPageMaintenance::Sockets() const {
    const ModelInfo* m = Controller().Model();
    return m ? std::min<int>(m->switchPlugFunctions, 32) : 0;
}

int CPropertyPageMaintenance::Interfaces() const {
    const ModelInfo* m = Controller().Model();
    return m ? std::min<int>(m->interfaces110, kMaxInterfaces) : 0;
}

void CPropertyPageMaintenance::DeclareFields() {
    for (int n = kIncluded1; n <= kStates1 + 1; ++n) Hidden(n).Key(kSocketsKey);
    Hidden(kInterfaceMask).Key(kInterfacesKey);
    std::vector<int> order{800, 801, 802, 803, kInterfaceMask};
    std::vector<int> writes{800, 801, 802, 803};
    for (int j = 0; j < Interfaces(); ++j) {
        Hidden(kFirstLevel + j).Key(kInterfacesKey);
        order.push_back(kFirstLevel + j);
        writes.push_back(kFirstLevel + j);
    }
    writes.push_back(kInterfaceMask);
    Real(815, IdValue).Range(0, 65535).Spin(0, 65535);
    order.push_back(815);
    writes.push_back(815);
    ReadOrder(order);
    WriteOrder(writes);

    m_box = new QCheckBox(Tr(33041), this);
    m_box->setObjectName(QString::number(IdMaintenance));
    Bind(m_box, [this] { m_box->setChecked(m_maintenance); }, [] {});
    connect(m_box, &QCheckBox::clicked, this, &CPropertyPageMaintenance::SwitchMaintenance);

    m_sockets = new CMyListCtrl(this);
    m_sockets->setObjectName(QString::number(IdSockets));
    m_sockets->SetEditMode(CMyListCtrl::Toggle);
    m_sockets->SetColumns({Tr(394), Tr(396)}, {Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignCenter});
    m_sockets->setRowCount(Sockets());
    for (int k = 0; k < Sockets(); ++k) {
        m_sockets->SetText(k, 0, CPageTable::NumberedCaption(Tr(399), k + 1));
        m_sockets->item(k, 0)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        m_sockets->item(k, 0)->setCheckState(Qt::Unchecked);
        m_sockets->SetText(k, 1, Tr(400));
    }
    Bind(m_sockets, [this] { FillSockets(); }, [this] { TakeSockets(); });

    m_interfaces = new CMyListCtrl(this);
    m_interfaces->setObjectName(QString::number(IdInterfaces));
    m_interfaces->SetEditMode(CMyListCtrl::Number);
    m_interfaces->SetColumns({Tr(395), Tr(397)}, {Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignRight | Qt::AlignVCenter});
    m_interfaces->setRowCount(Interfaces());
    for (int j = 0; j < Interfaces(); ++j) {
        m_interfaces->SetText(j, 0, CPageTable::NumberedCaption(Tr(398), j + 1));
        m_interfaces->item(j, 0)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        m_interfaces->item(j, 0)->setCheckState(Qt::Unchecked);
        m_interfaces->SetText(j, 1, QStringLiteral("0"));
    }
    Bind(m_interfaces, [this] { FillInterfaces(); }, [this] { TakeInterfaces(); });

    for (CMyListCtrl* list : {m_sockets, m_interfaces}) {
        const int key = list == m_sockets ? kSocketsKey : kInterfacesKey;
        list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 8);
        list->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        list->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        connect(list, &CMyListCtrl::cellEdited, this, [this, key] { ControlEdited(key); });
        connect(list, &QTableWidget::itemChanged, this, [this, key](QTableWidgetItem* item) {
            if (item->column() == 0) ControlEdited(key);
        });
    }
    PageTopic(99);
}

bool CPropertyPageMaintenance::ReadValues() {
    const std::optional<double> mode = Read(kMode);
    if (!mode) return false;
    m_maintenance = *mode == kMaintenanceMode;
    return CMyPropertyPage::ReadValues();
}

void CPropertyPageMaintenance::FillSockets() {
    const uint32_t included[2] = {uint32_t(FieldOf(800)->Value()), uint32_t(FieldOf(801)->Value())};
    const uint32_t states[2] = {uint32_t(FieldOf(802)->Value()), uint32_t(FieldOf(803)->Value())};
    for (int k = 0; k < m_sockets->rowCount(); ++k) {
        m_sockets->item(k, 0)->setCheckState(included[WordOf(k)] & BitOf(k) ? Qt::Checked : Qt::Unchecked);
        m_sockets->SetText(k, 1, states[WordOf(k)] & BitOf(k) ? Tr(401) : Tr(400));
    }
}

uint32_t CPropertyPageMaintenance::SocketWord(int number) const {
    auto* self = const_cast<CPropertyPageMaintenance*>(this);
    const bool states = number >= kStates1;
    const int word = (number - kIncluded1) % 2;
    uint32_t value = uint32_t(self->FieldOf(number)->Value());
    for (int k = word * 16; k < std::min(m_sockets->rowCount(), word * 16 + 16); ++k) {
        const bool on = states ? m_sockets->Text(k, 1) == Tr(401)
                               : m_sockets->item(k, 0)->checkState() == Qt::Checked;
        value = on ? value | BitOf(k) : value & ~BitOf(k);
    }
    return value;
}

void CPropertyPageMaintenance::TakeSockets() {
    for (int n = kIncluded1; n <= kStates1 + 1; ++n) {
        const uint32_t word = SocketWord(n);
        FieldOf(n)->SetValue(word);
    }
}

void CPropertyPageMaintenance::FillInterfaces() {
    const uint32_t mask = uint32_t(FieldOf(kInterfaceMask)->Value());
    for (int j = 0; j < m_interfaces->rowCount(); ++j) {
        m_interfaces->item(j, 0)->setCheckState((mask >> j) & 1u ? Qt::Checked : Qt::Unchecked);
        // A level beyond 100 from the device shows as what a write would send.
        const double level = std::clamp(FieldOf(kFirstLevel + j)->Value(), 0.0, 100.0);
        m_interfaces->SetText(j, 1, QString::number(int(level)));
    }
}

int CPropertyPageMaintenance::Level(int row) const {
    bool ok = false;
    const int value = m_interfaces->Text(row, 1).toInt(&ok);
    return ok ? std::clamp(value, 0, 100) : 0;
}

void CPropertyPageMaintenance::TakeInterfaces() {
    uint32_t mask = uint32_t(FieldOf(kInterfaceMask)->Value());
    for (int j = 0; j < m_interfaces->rowCount(); ++j) {
        const bool on = m_interfaces->item(j, 0)->checkState() == Qt::Checked;
        mask = on ? mask | (1u << j) : mask & ~(1u << j);
        FieldOf(kFirstLevel + j)->SetValue(Level(j));
    }
    FieldOf(kInterfaceMask)->SetValue(mask);
}

void CPropertyPageMaintenance::SwitchMaintenance(bool on) {
    if (IsFillingControls()) return;
    if (WriteParam(kCommand, on ? 257 : 1) == 0) {
        m_maintenance = on;
    } else if (m_box) {
        // The controller did not take it: the box shows the state it is still in.
        m_box->setChecked(m_maintenance);
    }
}

void CPropertyPageMaintenance::OnReset() {
    if (!m_maintenance || !Controller().IsConnected()) return;
    if (CMessageService::ShowMessage(332, CMessageService::Icon::Question, CMessageService::Buttons::YesNo,
                                     {}, this) == CUserInteraction::IdYes &&
        WriteParam(kCommand, 1) == 0)
        m_maintenance = false;
}

void CPropertyPageMaintenance::CreateControls() {
    auto* modeBox = new QGroupBox(Tr(33042), this);
    auto* modeLayout = new QVBoxLayout(modeBox);
    modeLayout->addWidget(m_box);
    auto* note = new QLabel(Tr(33043), modeBox);
    note->setWordWrap(true);
    modeLayout->addWidget(note);

    auto* socketBox = new QGroupBox(Tr(33044), this);
    auto* socketLayout = new QVBoxLayout(socketBox);
    socketLayout->addWidget(m_sockets);
    auto* socketNote = new QLabel(Tr(33045), socketBox);
    socketNote->setWordWrap(true);
    socketLayout->addWidget(socketNote);

    auto* interfaceBox = new QGroupBox(Tr(33046), this);
    auto* interfaceLayout = new QVBoxLayout(interfaceBox);
    interfaceLayout->addWidget(m_interfaces);
    auto* interfaceNote = new QLabel(Tr(33047), interfaceBox);
    interfaceNote->setWordWrap(true);
    interfaceLayout->addWidget(interfaceNote);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    Control(IdValue)->setMinimumWidth(90);
    form->addRow(Tr(33048), Control(IdValue));
    interfaceLayout->addLayout(form);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(modeBox, 0, 0, 1, 2);
    grid->addWidget(socketBox, 1, 0);
    grid->addWidget(interfaceBox, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
}
