// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CPropertyPageSwitchplugFunctions300.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/CParameterAccess.h"
#include "params/CControllerView.h"
#include "app/CSwitchFunction.h"
#include "app/CTimerStop.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "pages/outputs/CEditSPF.h"
#include "pages/outputs/CProgPowerbarWizard.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CRecordList.h"
#include "ui/page/CUpdate.h"
#include "ui/services/CMessageService.h"

KORVALIS_REGISTER_PAGE(CPropertyPageSwitchplugFunctions300);

namespace {
const QString kNamesFile = QStringLiteral("SPFDescriptions.dat");
constexpr int kColumns[] = {StringId(399), StringId(243), StringId(328), StringId(291)};

// The four state images: a box to click in test mode (off, on), a lamp outside it (off, on).
QIcon StateIcon(int image) {
    static QIcon icons[4];
    QIcon& icon = icons[(image - 1) & 3];
    if (!icon.isNull()) return icon;
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool on = image == 2 || image == 4;
    const QColor lit(40, 170, 60), dark(150, 150, 150);
    if (image <= 2) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(on ? lit : QColor(255, 255, 255));
        p.drawRect(QRectF(0.5, 0.5, 11, 11));
        if (on) {
            p.setPen(QPen(Qt::white, 1.8));
            p.drawPolyline(QPolygonF({QPointF(2.5, 6), QPointF(5, 8.5), QPointF(9.5, 3)}));
        }
    } else {
        p.setPen(QPen(on ? lit.darker(140) : dark.darker(130), 1));
        p.setBrush(on ? lit : dark);
        p.drawEllipse(QRectF(1, 1, 10, 10));
    }
    p.end();
    icon = QIcon(pm);
    return icon;
}

QPushButton* Button(int id, int text, QWidget* parent) {
    auto* b = new QPushButton(Tr(text), parent);
    b->setObjectName(QString::number(id));
    return b;
}
}  // namespace

CPropertyPageSwitchplugFunctions300::CPropertyPageSwitchplugFunctions300() = default;

int CPropertyPageSwitchplugFunctions300::SocketCount() const {
    const ModelInfo* model = Controller().Model();
    return model ? std::min<int>(model->switchPlugFunctions, kSockets) : 0;
}

void CPropertyPageSwitchplugFunctions300::DeclareFields() {
    Check(kOption, IdOption, Tr(36202));
    EnableWhen({IdOption}, [this] {
        const ModelInfo* model = Controller().Model();
        return !model || (model->productCode != 7 && model->productCode != 8);
    });
    PageTopic(100);
}

void CPropertyPageSwitchplugFunctions300::CreateControls() {
    QStringList headers;
    for (int id : kColumns) headers << Tr(id);
    m_list = new CRecordList(IdList, headers, {70, 160, 120, 130}, this);
    m_list->setIconSize(QSize(12, 12));

    m_edit = Button(IdEdit, 36204, this);
    m_wizard = Button(IdWizard, 36203, this);
    m_testBox = new QCheckBox(Tr(36201), this);
    m_testBox->setObjectName(QString::number(IdTestMode));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_edit);
    buttons->addStretch(1);
    buttons->addWidget(m_wizard);
    auto* options = new QVBoxLayout;
    options->addWidget(m_testBox);
    options->addWidget(Control(IdOption));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    layout->addLayout(options);

    connect(m_edit, &QPushButton::clicked, this, [this] { EditSocket(m_list->SelectedRow()); });
    connect(m_wizard, &QPushButton::clicked, this, [this] { RunWizard(); });
    connect(m_list, &CRecordList::editRequested, this, &CPropertyPageSwitchplugFunctions300::EditSocket);
    connect(m_list, &QTreeWidget::itemClicked, this, &CPropertyPageSwitchplugFunctions300::OnItemClicked);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { RefreshControlStates(); });
    connect(m_testBox, &QCheckBox::toggled, this, [this](bool on) {
        if (!IsFillingControls()) SetTestMode(on);
    });
}

// --- reading and writing -------------------------------------------------------------------------

bool CPropertyPageSwitchplugFunctions300::ReadValues() {
    // All 24 words, whatever the model's count: the controller keeps them all.
    const QStringList names = LoadNames(kNamesFile, kSockets);
    for (int k = 0; k < kSockets; ++k) {
        if (ReadParam(WordParameter(k)) != 0) return false;
        m_sockets[k].function = static_cast<uint16_t>(static_cast<int64_t>(std::trunc(LastValue())) & 0xFFFF);
        m_sockets[k].name = names.value(k);
    }
    if (!ReadField(kOption)) return false;
    FillList();
    // In test mode no tick reads the states, and the next click is compared with them: they
    // must be the sockets' own, not the cleared mask of the refilled list.
    if (m_testMode) {
        if (ReadParam(kStates) != 0) return false;
        m_mask = static_cast<uint32_t>(static_cast<int64_t>(std::trunc(LastValue())));
        m_lastShown = m_mask;
        ShowStates();
    }
    return true;
}

bool CPropertyPageSwitchplugFunctions300::WriteValues() {
    // The names live only on this computer; they are kept even when a write below fails.
    QStringList names;
    for (const CSPFPara& s : m_sockets) names << s.name;
    SaveNames(kNamesFile, names);
    // Only the model's sockets can be edited, so only their words can be due; a socket the
    // model lacks is not written even when every flag is set (its parameter is in no list).
    for (int k = 0; k < SocketCount(); ++k)
        if (IsChanged(WordParameter(k)) && WriteParam(WordParameter(k), m_sockets[k].function) != 0)
            return false;
    return WriteField(kOption);
}

// --- list ------------------------------------------------------------------------------------------

void CPropertyPageSwitchplugFunctions300::FillList() {
    if (!m_list) return;
    m_list->SetRowCount(SocketCount());
    for (int k = 0; k < SocketCount(); ++k) {
        const uint16_t w = m_sockets[k].function;
        m_list->SetText(k, 0, QStringLiteral("S%1").arg(k + 1));
        m_list->SetText(k, 1, SwitchFunctionText(CSwitchFunction::Code(w), CSwitchFunction::Index(w),
                                                 CSwitchFunction::Marker(w)));
        m_list->SetText(k, 2, QString::number(CSwitchFunction::Value(w)));
        m_list->SetText(k, 3, m_sockets[k].name);
    }
    // The next tick draws the states again.
    m_lastShown = 0;
    ShowStates();
}

int CPropertyPageSwitchplugFunctions300::StateImage(int socket) const {
    const bool on = (m_mask >> socket) & 1u;
    return m_testMode ? (on ? 2 : 1) : (on ? 4 : 3);
}

void CPropertyPageSwitchplugFunctions300::ShowStates() {
    if (!m_list) return;
    for (int k = 0; k < m_list->topLevelItemCount(); ++k)
        m_list->topLevelItem(k)->setIcon(0, StateIcon(StateImage(k)));
}

void CPropertyPageSwitchplugFunctions300::OnRefreshTick() {
    if (!Controller().IsConnected() || m_testMode) return;
    if (ReadParam(kStates) != 0) return;
    m_mask = static_cast<uint32_t>(static_cast<int64_t>(std::trunc(LastValue())));
    if (m_mask != m_lastShown) {
        ShowStates();
        m_lastShown = m_mask;
    }
}

// --- test mode -------------------------------------------------------------------------------------

void CPropertyPageSwitchplugFunctions300::SetTestMode(bool on) {
    if (on != m_testMode) {
        if (WriteParam(kMode, on ? kTestMode : 0) != 0) on = !on;
        m_testMode = on;
        // Test mode starts from the states last shown: those are what the sockets have.
        m_lastShown = m_mask;
    }
    if (m_testBox) {
        CUpdate update(m_fillingControls);
        m_testBox->setChecked(m_testMode);
    }
    ShowStates();
    RefreshControlStates();
}

void CPropertyPageSwitchplugFunctions300::OnItemClicked(QTreeWidgetItem* item, int column) {
    if (!m_testMode || !item || column != 0) return;
    const int k = m_list->indexOfTopLevelItem(item);
    if (k < 0 || k >= kSockets) return;
    const uint32_t mask = m_mask ^ (1u << k);
    if (mask == m_lastShown) return;
    // A mask the controller did not take is not shown: the click is undone, and the failure
    // goes the way of every failed access (message, General page).
    if (WriteParam(kStates, mask) != 0) return;
    m_mask = mask;
    m_lastShown = mask;
    ShowStates();
}

bool CPropertyPageSwitchplugFunctions300::OnKillActive() {
    if (m_testMode &&
        CMessageService::ShowMessage(329, CMessageService::Icon::Question, CMessageService::Buttons::YesNo,
                                     {}, this) == CUserInteraction::IdYes)
        SetTestMode(false);
    return CMyPropertyPage::OnKillActive();
}

void CPropertyPageSwitchplugFunctions300::OnRemoving() {
    // The page set goes (disconnect, rebuild): the controller must not stay in test mode.
    if (m_testMode && Controller().IsConnected()) DirectAccess().WriteParameter(kMode, 0);
    m_testMode = false;
}

// --- editing ---------------------------------------------------------------------------------------

void CPropertyPageSwitchplugFunctions300::EditSocket(int k) {
    if (m_testMode || k < 0 || k >= kSockets) return;
    QPointer<CPropertyPageSwitchplugFunctions300> self(this);
    QPointer<CEditSPF> dialog = new CEditSPF(this, m_sockets[k], k, 222);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (!self || !dialog) return;
    const CSPFPara result = dialog->Record();
    delete dialog;
    if (!ok) return;
    m_sockets[k] = result;
    MarkModified(true);
    SetChanged(WordParameter(k));
    FillList();
    RefreshControlStates();
}

bool CPropertyPageSwitchplugFunctions300::AcceptEdit(int key) {
    if (key != kOption) return true;
    auto* box = ControlAs<QCheckBox>(IdOption);
    if (!box || !box->isChecked()) return true;
    return CMessageService::ShowMessage(198, CMessageService::Icon::Warning, CMessageService::Buttons::YesNoCancel,
                                        {}, this) == CUserInteraction::IdYes;
}

void CPropertyPageSwitchplugFunctions300::UpdateControlStates() {
    if (m_edit) m_edit->setEnabled(m_list && m_list->SelectedRow() >= 0 && !m_testMode);
    // The wizard programs the strip the option announces, as the controller has it: not
    // while the option waits to be sent.
    if (m_wizard) {
        const CPageField* option = FieldOf(kOption);
        m_wizard->setEnabled(option && option->Value() != 0 && !IsChanged(kOption));
    }
}

void CPropertyPageSwitchplugFunctions300::RunWizard() {
    if (!m_wizard || !m_wizard->isEnabled()) return;
    CTimerStop stop;
    QPointer<CProgPowerbarWizard> wizard = new CProgPowerbarWizard(this, PageHelpTopic());
    wizard->exec();
    delete wizard;
}
