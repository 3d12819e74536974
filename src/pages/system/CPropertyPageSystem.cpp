// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/CPropertyPageSystem.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "pages/system/CPropertyPageGeneral.h"
#include "pages/system/CSystemIcons.h"
#include "pages/system/ModuleInfo.h"
#include "ui/connections/CConnectionCommands.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CPageTable.h"
#include "ui/page/CPageHost.h"

KORVALIS_REGISTER_PAGE(CPropertyPageSystem);

namespace {
constexpr int kFirmwareCommand = 40013;
constexpr int kControllerNode = -1;

QString Count(int n) {
    return QString::number(n);
}
}  // namespace

CPropertyPageSystem::CPropertyPageSystem() = default;

QString CPropertyPageSystem::KindText(int kind) {
    switch (kind) {
        case 0: return Tr(285);
        case 1: return Tr(286);
        case 2: return Tr(287);
        case 7: return Tr(288);
        default: return TrArg(33084, {QString::number(kind)});
    }
}

bool CPropertyPageSystem::ReadValues() {
    const std::optional<double> count = Read(kModuleCount);
    if (!count) return false;
    // Taken over only once all are read: a failed read leaves the tree and what it shows as
    // they were.
    std::vector<Module> modules;
    const int reported = int(std::min(*count, 65535.0));
    for (int k = 0; k < std::min(reported, kMaxModules); ++k) {
        const std::optional<double> kind = Read(1137 + k);
        if (!kind) return false;
        const std::optional<double> version = Read(1154 + k);
        if (!version) return false;
        const std::optional<double> code = Read(1157 + k);
        if (!code) return false;
        // A code the table does not know is neither kept nor shown.
        const ModuleInfo* info = ModuleInfo::Find(int(std::min(*code, 65535.0)));
        if (!info) continue;
        modules.push_back({k, int(std::min(*kind, 65535.0)), int(std::min(*version, 65535.0)),
                           info->code, info});
    }
    m_modules = std::move(modules);
    m_reported = reported;
    BuildTree();
    return true;
}

void CPropertyPageSystem::BuildTree() {
    if (!m_tree) return;
    m_tree->clear();
    const ModelInfo* model = Controller().Model();
    auto* root = new QTreeWidgetItem(m_tree);
    root->setText(0, model ? QString::fromLatin1(model->displayName).trimmed() : Tr(127));
    root->setIcon(0, CSystemIcons::Controller(CSystemIcons::GroupOf(model ? model->productCode : 0)));
    root->setData(0, Qt::UserRole, kControllerNode);
    for (int i = 0; i < int(m_modules.size()); ++i) {
        auto* item = new QTreeWidgetItem(root);
        item->setText(0, QString::fromLatin1(m_modules[size_t(i)].info->name));
        item->setIcon(0, CSystemIcons::Module());
        item->setData(0, Qt::UserRole, i);
    }
    root->setExpanded(true);
    m_tree->setCurrentItem(root);
    ShowProperties();
}

const CPropertyPageSystem::Module* CPropertyPageSystem::SelectedModule() const {
    const QTreeWidgetItem* item = m_tree ? m_tree->currentItem() : nullptr;
    if (!item) return nullptr;
    const int i = item->data(0, Qt::UserRole).toInt();
    return i >= 0 && i < int(m_modules.size()) ? &m_modules[size_t(i)] : nullptr;
}

bool CPropertyPageSystem::ControllerSelected() const {
    const QTreeWidgetItem* item = m_tree ? m_tree->currentItem() : nullptr;
    return item && item->data(0, Qt::UserRole).toInt() == kControllerNode;
}

QList<QPair<QString, QString>> CPropertyPageSystem::ControllerProperties() const {
    const CControllerView& app = Controller();
    const ModelInfo* model = app.Model();
    QList<QPair<QString, QString>> rows;
    rows << qMakePair(Tr(336), model ? QString::fromLatin1(model->displayName).trimmed() : Tr(127));
    rows << qMakePair(Tr(284), Tr(289));
    rows << qMakePair(Tr(194), CPropertyPageGeneral::VersionText(app.FirmwareVersion()));
    if (m_reported > 0) rows << qMakePair(Tr(416), Count(m_reported));
    if (m_reported > kMaxModules)
        rows << qMakePair(QString(), TrArg(33085, {Count(m_reported), Count(kMaxModules)}));
    if (!model) return rows;
    if (model->levelChannels) rows << qMakePair(Tr(417), Count(model->levelChannels));
    for (int i = 0; i < 4; ++i)
        if (model->sensorTypes[i])
            rows << qMakePair(CPageTable::NumberedCaption(Tr(196), i + 1), CSensor::TypeName(model->sensorTypes[i]));
    if (model->count160) rows << qMakePair(Tr(160), Count(model->count160));
    if (model->count290) rows << qMakePair(Tr(290), Count(model->count290));
    return rows;
}

QList<QPair<QString, QString>> CPropertyPageSystem::ModuleProperties(const Module& m) const {
    QList<QPair<QString, QString>> rows;
    rows << qMakePair(Tr(336), QString::fromLatin1(m.info->name));
    rows << qMakePair(Tr(284), KindText(m.kind));
    if (m.version) rows << qMakePair(Tr(194), CPropertyPageGeneral::VersionText(m.version));
    // Slots 2k+3 and 2k+4 of the application's inputs, where the table gives them a type.
    for (int s = 0; s < 2; ++s) {
        const int type = m.info->sensorTypes[s];
        if (!type) continue;
        const int input = 2 * m.index + 2 + s;
        const int fitted = Controller().Sensors()[size_t(input)].type;
        rows << qMakePair(CPageTable::NumberedCaption(Tr(196), input + 1),
                          CSensor::TypeName(fitted ? fitted : type));
    }
    if (m.info->count160) rows << qMakePair(Tr(160), Count(m.info->count160));
    if (m.info->count290) rows << qMakePair(Tr(290), Count(m.info->count290));
    return rows;
}

QList<QPair<QString, QString>> CPropertyPageSystem::Properties() const {
    if (const Module* m = SelectedModule()) return ModuleProperties(*m);
    return ControllerSelected() ? ControllerProperties() : QList<QPair<QString, QString>>{};
}

void CPropertyPageSystem::ShowProperties() {
    if (!m_properties) return;
    m_properties->clear();
    for (const auto& [caption, value] : Properties()) {
        auto* item = new QTreeWidgetItem(m_properties, {caption, value});
        if (caption.isEmpty()) item->setFirstColumnSpanned(true), item->setText(0, value);
    }
}

void CPropertyPageSystem::UpdateControlStates() {
    if (!m_firmware) return;
    const Module* m = SelectedModule();
    m_firmware->setEnabled(ControllerSelected());
    m_network->setEnabled(m && (m->code == ModuleInfo::WlanCode || m->code == ModuleInfo::LanCode));
}

void CPropertyPageSystem::ConfigureNetworkModule() {
    const Module* m = SelectedModule();
    if (!m || (m->code != ModuleInfo::WlanCode && m->code != ModuleInfo::LanCode)) return;
    // A refused record has closed the link: the sheet reports it and leaves the connected pages.
    if (CConnectionCommands::ConfigureNetworkModule(this, uint8_t(m->index), m->code == ModuleInfo::WlanCode) != 0 &&
        Host())
        Host()->AccessFailed(false);
}

void CPropertyPageSystem::CreateControls() {
    PageTopic(611);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QString::number(IdTree));
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(CSystemIcons::kSize, CSystemIcons::kSize));
    m_tree->setMinimumWidth(200);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] {
        ShowProperties();
        UpdateControlStates();
    });

    m_properties = new QTreeWidget(this);
    m_properties->setObjectName(QString::number(IdProperties));
    m_properties->setHeaderLabels({Tr(282), Tr(283)});
    m_properties->setRootIsDecorated(false);
    m_properties->setSelectionMode(QAbstractItemView::NoSelection);
    m_properties->setFocusPolicy(Qt::NoFocus);
    m_properties->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_properties->header()->setStretchLastSection(true);

    m_firmware = new QPushButton(Tr(33082), this);
    m_firmware->setObjectName(QString::number(IdFirmware));
    connect(m_firmware, &QPushButton::clicked, this, [this] {
        if (Host()) Host()->RunCommand(kFirmwareCommand);
    });
    m_network = new QPushButton(Tr(33083), this);
    m_network->setObjectName(QString::number(IdNetwork));
    connect(m_network, &QPushButton::clicked, this, &CPropertyPageSystem::ConfigureNetworkModule);

    auto* treeBox = new QGroupBox(Tr(33081), this);
    auto* treeLayout = new QVBoxLayout(treeBox);
    treeLayout->addWidget(m_tree);
    auto* propertyBox = new QGroupBox(Tr(33086), this);
    auto* propertyLayout = new QVBoxLayout(propertyBox);
    propertyLayout->addWidget(m_properties);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_firmware);
    buttons->addWidget(m_network);
    buttons->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(treeBox, 0, 0);
    grid->addWidget(propertyBox, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    grid->setRowStretch(0, 1);
    BuildTree();
}
