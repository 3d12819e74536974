// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/measurement/CPropertyPageMeasurement.h"
#include "base/SaturatingCast.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QDir>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "params/CControllerView.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "link/CSWMBus.h"
#include "pages/measurement/CGuiMeasDownloadUi.h"
#include "pages/measurement/CMeasDataDialog.h"
#include "recorder/CMeasDownload.h"
#include "recorder/CMeasHistory.h"
#include "ui/page/CEditSpin.h"
#include "ui/services/CMessageService.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CUpdate.h"
#include "ui/page/PageConversions.h"

KORVALIS_REGISTER_PAGE(CPropertyPageMeasurement);

namespace {
constexpr int kMaskRole = Qt::UserRole;

qint64 Unsigned(double value) {
    return static_cast<qint64>(value);
}

// Keeps a control's place in the layout while it is hidden, so the page does not jump when
// the recorder is cleared or starts recording.
void KeepPlace(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}
}  // namespace

CPropertyPageMeasurement::CPropertyPageMeasurement() = default;

void CPropertyPageMeasurement::DeclareFields() {
    Real(780, IdInterval).Range(1, 720).SetValue(1);  // minutes
    Hidden(781);                                      // recorded inputs, one bit each
    Real(782, IdSetting).Range(8, 600).SetValue(8);
    ReadOrder({780, 781, 782});
    WriteOrder({780, 782, 781});
    PageTopic(115);
}

uint8_t CPropertyPageMeasurement::Mask() const {
    return uint8_t(SaturatingCast<uint32_t>(const_cast<CPropertyPageMeasurement*>(this)->FieldOf(781)->Value()) & 0xFF);
}

void CPropertyPageMeasurement::CreateControls() {
    // --- recording settings -------------------------------------------------------------------
    auto* recording = new QGroupBox(Tr(20701), this);
    auto* form = new QFormLayout(recording);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    m_intervalEdit = ControlAs<CEditSpin>(IdInterval);
    m_settingEdit = ControlAs<CEditSpin>(IdSetting);
    m_intervalEdit->setMinimumWidth(90);
    m_settingEdit->setMinimumWidth(90);
    form->addRow(Tr(20702), m_intervalEdit);
    form->addRow(Tr(20703), m_settingEdit);

    m_inputs = new QTreeWidget(recording);
    m_inputs->setObjectName(QString::number(IdInputs));
    m_inputs->setColumnCount(1);
    m_inputs->setHeaderLabels({Tr(365)});
    m_inputs->setColumnWidth(0, 200);
    m_inputs->setRootIsDecorated(false);
    m_inputs->setUniformRowHeights(true);
    m_inputs->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const CSensor& sensor : Controller().Sensors()) {
        if (sensor.type == 0) continue;
        auto* item = new QTreeWidgetItem(m_inputs, {sensor.title});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setData(0, kMaskRole, 1u << sensor.index);
        item->setCheckState(0, Qt::Unchecked);
    }
    // Room for all eight inputs without scrolling.
    const int row = std::max(m_inputs->fontMetrics().height() + 6, 20);
    m_inputs->setMinimumSize(240, m_inputs->header()->sizeHint().height() + 8 * row + 6);
    Bind(
        m_inputs, [this] { ShowMask(Mask()); }, [this] { FieldOf(781)->SetValue(CheckedMask()); });
    connect(m_inputs, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { OnInputToggled(item); });
    auto* inputsLabel = new QLabel(Tr(20704), recording);
    inputsLabel->setBuddy(m_inputs);
    form->addRow(inputsLabel);
    form->addRow(m_inputs);

    // --- the recorder's memory ----------------------------------------------------------------
    auto* memory = new QGroupBox(Tr(20705), this);
    auto* memoryForm = new QFormLayout(memory);
    m_storedText = new QLabel(QStringLiteral("0"), memory);
    m_storedText->setObjectName(QString::number(IdStoredText));
    memoryForm->addRow(Tr(20706), m_storedText);

    m_memoryBar = new QProgressBar(memory);
    m_memoryBar->setObjectName(QString::number(IdMemoryBar));
    m_memoryBar->setRange(0, 1);
    m_memoryBar->setValue(0);
    m_memoryBar->setTextVisible(false);
    m_memoryBar->setMinimumWidth(200);
    m_usedText = new QLabel(QStringLiteral("0 / 0"), memory);
    m_usedText->setObjectName(QString::number(IdUsedText));
    auto* usedColumn = new QVBoxLayout;
    usedColumn->addWidget(m_memoryBar);
    usedColumn->addWidget(m_usedText);
    memoryForm->addRow(Tr(20707), usedColumn);

    m_newestDateEdit = new QDateEdit(memory);
    m_newestDateEdit->setObjectName(QString::number(IdNewestDate));
    PageConversions::ConfigureDatePicker(m_newestDateEdit);
    m_newestDateEdit->setCalendarPopup(false);
    m_newestTimeEdit = new QTimeEdit(memory);
    m_newestTimeEdit->setObjectName(QString::number(IdNewestTime));
    PageConversions::ConfigureTimePicker(m_newestTimeEdit, false);
    // The controller's values, shown: nothing here is sent.
    for (QAbstractSpinBox* picker : {static_cast<QAbstractSpinBox*>(m_newestDateEdit),
                                     static_cast<QAbstractSpinBox*>(m_newestTimeEdit)}) {
        picker->setReadOnly(true);
        picker->setButtonSymbols(QAbstractSpinBox::NoButtons);
        picker->setFocusPolicy(Qt::NoFocus);
        KeepPlace(picker);
    }
    auto* newest = new QHBoxLayout;
    newest->addWidget(m_newestDateEdit);
    newest->addWidget(m_newestTimeEdit);
    newest->addStretch(1);
    m_newestLabel = new QLabel(Tr(20708), memory);
    KeepPlace(m_newestLabel);
    memoryForm->addRow(m_newestLabel, newest);

    m_download = new QPushButton(Tr(20709), memory);
    m_download->setObjectName(QString::number(IdDownload));
    m_clear = new QPushButton(Tr(20710), memory);
    m_clear->setObjectName(QString::number(IdClear));
    connect(m_download, &QPushButton::clicked, this, &CPropertyPageMeasurement::DownloadToFile);
    connect(m_clear, &QPushButton::clicked, this, &CPropertyPageMeasurement::ClearRecorder);
    auto* memoryButtons = new QHBoxLayout;
    memoryButtons->addWidget(m_download);
    memoryButtons->addWidget(m_clear);
    memoryButtons->addStretch(1);
    memoryForm->addRow(memoryButtons);

    // --- files saved earlier ------------------------------------------------------------------
    auto* files = new QGroupBox(Tr(20711), this);
    auto* filesLayout = new QVBoxLayout(files);
    auto* filesText = new QLabel(Tr(20712), files);
    filesText->setWordWrap(true);
    auto* open = new QPushButton(Tr(20713), files);
    open->setObjectName(QString::number(IdOpenFile));
    connect(open, &QPushButton::clicked, this, &CPropertyPageMeasurement::OpenFile);
    auto* openRow = new QHBoxLayout;
    openRow->addWidget(open);
    openRow->addStretch(1);
    filesLayout->addWidget(filesText);
    filesLayout->addLayout(openRow);

    auto* right = new QVBoxLayout;
    right->addWidget(memory);
    right->addWidget(files);
    right->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(recording, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
}

// --- read and write ----------------------------------------------------------------------------

void CPropertyPageMeasurement::OnFieldsRead() {
    m_recordedInterval = SaturatingCast<int>(FieldOf(780)->Value());
    m_recordedMask = Mask();
}

void CPropertyPageMeasurement::OnWritten(int key) {
    if (key == 780) m_recordedInterval = int(ComposedValue(780));
    if (key == 781) m_recordedMask = Mask();
}

// --- edits -------------------------------------------------------------------------------------

// The first change while the recorder holds values asks message 185.
bool CPropertyPageMeasurement::AcceptEdit(int) {
    if (IsModified() || m_stored == 0) return true;
    return CMessageService::ShowMessage(185, CMessageService::Icon::Warning,
                                        CMessageService::Buttons::YesNo, {},
                                        this) == CUserInteraction::IdYes;
}

void CPropertyPageMeasurement::OnInputToggled(QTreeWidgetItem*) {
    ControlEdited(781);
}

uint8_t CPropertyPageMeasurement::CheckedMask() const {
    uint8_t mask = 0;
    for (int i = 0; i < m_inputs->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_inputs->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            mask |= static_cast<uint8_t>(item->data(0, kMaskRole).toUInt());
    }
    return mask;
}

void CPropertyPageMeasurement::ShowMask(uint8_t mask) {
    CUpdate update(m_fillingControls);
    for (int i = 0; i < m_inputs->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_inputs->topLevelItem(i);
        const bool on = (mask & item->data(0, kMaskRole).toUInt()) != 0;
        item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
}

void CPropertyPageMeasurement::UpdateControlStates() {
    if (!m_download) return;
    const bool holdsValues = m_stored != 0;
    m_newestLabel->setVisible(holdsValues);
    m_newestDateEdit->setVisible(holdsValues);
    m_newestTimeEdit->setVisible(holdsValues);
    m_download->setEnabled(holdsValues);
    m_clear->setEnabled(holdsValues);
}

// --- live fill state ---------------------------------------------------------------------------

void CPropertyPageMeasurement::OnRefreshTick() {
    if (!m_download) return;
    if (ReadParam(1160) != 0) return;
    const qint64 stored = Unsigned(LastValue());
    if (ReadParam(1165) != 0) return;
    const qint64 used = Unsigned(LastValue());
    if (ReadParam(1162) != 0) return;
    const qint64 capacity = Unsigned(LastValue());

    m_stored = stored;
    UpdateControlStates();
    if (stored != 0) {
        if (ReadParam(1163) != 0) return;
        m_newestTime = MinutesToTime(Unsigned(LastValue()));
        m_newestTimeEdit->setTime(m_newestTime);
        if (ReadParam(1164) != 0) return;
        m_newestDate = DayNumberToDate(Unsigned(LastValue()));
        m_newestDateEdit->setDate(m_newestDate);
    }

    m_used = used;
    m_capacity = capacity;
    // A capacity of 0 would turn the bar into a busy indicator.
    const int top = static_cast<int>(std::clamp<qint64>(capacity, 1, INT_MAX));
    m_memoryBar->setRange(0, top);
    m_memoryBar->setValue(static_cast<int>(std::clamp<qint64>(used, 0, top)));
    m_usedText->setText(QStringLiteral("%1 / %2").arg(used).arg(capacity));
    m_storedText->setText(QString::number(stored));
}

// --- buttons -----------------------------------------------------------------------------------

void CPropertyPageMeasurement::ClearRecorder() {
    CTimerStop stop;
    if (CMessageService::ShowMessage(137, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::YesNo, {},
                                     this) == CUserInteraction::IdNo)
        return;
    WriteParam(1160, 0);
}

void CPropertyPageMeasurement::DownloadToFile() {
    CTimerStop stop;
    CMeasDownload::State state;
    state.mask = m_recordedMask;
    state.interval = m_recordedInterval;
    state.storedValues = m_stored;
    state.newestDate = m_newestDateEdit->date();
    state.newestTime = m_newestTimeEdit->time();

    // Through the page's access operations: a failure shows message 354 and moves to the
    // General page before the download reports message 142.
    QPointer<CPropertyPageMeasurement> self(this);
    CMeasDownload::Access access;
    access.read = [self](int number) -> uint16_t {
        return self ? self->ReadParam(number) : uint16_t(CSWMBus::NoChannel);
    };
    access.write = [self](int number, double value) -> uint16_t {
        return self ? self->WriteParam(number, value) : uint16_t(CSWMBus::NoChannel);
    };
    access.lastText = [self] { return self ? self->LastText() : QByteArray(); };

    CUserInteraction* ui = UserInteraction();
    QWidget* parent = window();
    CGuiMeasDownloadUi dialogs(parent);
    CMeasDownload download(Controller().Sensors(), std::move(access), ui, &dialogs);
    CMeasDownload::Result result = download.Run(state);
    AddToHistory(result.history);
    if (result.outcome == CMeasDownload::Outcome::Written && result.showViewer)
        CMeasDataDialog::OpenFile(parent, result.path, ui);
}

void CPropertyPageMeasurement::AddToHistory(CHistoryBatch& batch) {
    // What was read is gone from the controller: it is kept even when the file failed.
    if (batch.Count() == 0) return;
    const quint32 serial = Controller().SerialNumber();
    const CMeasHistory::Outcome h = CMeasHistory::AddToController(serial, batch);
    CUserInteraction* ui = UserInteraction();
    if (!ui) return;
    if (!h.damagedCopy.isEmpty())
        ui->ShowMessage(53015, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::Ok,
                        {QString::number(serial), QDir::toNativeSeparators(h.damagedCopy)});
    if (!h.error.isEmpty())
        ui->ShowMessage(53021, CUserInteraction::Icon::Stop, CUserInteraction::Buttons::Ok,
                        {QString::number(serial), h.error});
}

void CPropertyPageMeasurement::OpenFile() {
    CMeasDataDialog::OpenFile(window(), QString(), UserInteraction());
}
