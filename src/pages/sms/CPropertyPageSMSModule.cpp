// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sms/CPropertyPageSMSModule.h"
#include "base/SaturatingCast.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "pages/sms/CEditSMS.h"
#include "pages/sms/CEnterPUK.h"
#include "pages/sms/CSMSDiagnosis.h"
#include "ui/page/CPageRegistry.h"
#include "ui/services/CMessageService.h"

KORVALIS_REGISTER_PAGE(CPropertyPageSMSModule);

namespace {

constexpr int kNoPin = 10000;
constexpr int kEntrySlots = CSMSArray::MaxEntries;
constexpr int kModemTexts[] = {StringId(375), StringId(452), StringId(447), StringId(449),
                               StringId(448), StringId(451), StringId(450), StringId(453),
                               StringId(454)};

int Block(int slot) { return 100 + 30 * slot; }

QString Shown(QString text) {
    text.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
    return text;
}

QPushButton* Button(int id, int text, QWidget* parent) {
    auto* b = new QPushButton(Tr(text), parent);
    b->setObjectName(QString::number(id));
    return b;
}

template <class T>
T* Named(T* w, int id) {
    w->setObjectName(QString::number(id));
    return w;
}

}  // namespace

CPropertyPageSMSModule::CPropertyPageSMSModule() = default;

void CPropertyPageSMSModule::CreateControls() {
    PageTopic(607);
    auto* entriesBox = new QGroupBox(Tr(42600), this);
    auto* entriesLayout = new QHBoxLayout(entriesBox);
    m_list = Named(new QTreeWidget(entriesBox), IdList);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({Tr(446), Tr(311), Tr(312)});
    m_list->setColumnWidth(0, 120);
    m_list->setColumnWidth(1, 140);
    m_list->setColumnWidth(2, 140);
    entriesLayout->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    m_add = Button(IdAdd, 42601, entriesBox);
    m_edit = Button(IdEdit, 42602, entriesBox);
    m_duplicate = Button(IdDuplicate, 42603, entriesBox);
    m_delete = Button(IdDelete, 42604, entriesBox);
    m_test = Button(IdTest, 42605, entriesBox);
    for (QPushButton* b : {m_add, m_edit, m_duplicate, m_delete, m_test}) buttons->addWidget(b);
    buttons->addStretch(1);
    entriesLayout->addLayout(buttons);

    auto* settingsBox = new QGroupBox(Tr(42606), this);
    auto* form = new QFormLayout(settingsBox);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    auto* pinRow = new QHBoxLayout;
    m_pinBox = Named(new QCheckBox(Tr(42607), settingsBox), IdPinOn);
    m_pinEdit = Named(new QLineEdit(settingsBox), IdPin);
    m_pinEdit->setMaxLength(4);
    m_pinEdit->setFixedWidth(70);
    m_puk = Button(IdPuk, 42608, settingsBox);
    pinRow->addWidget(m_pinBox);
    pinRow->addWidget(m_pinEdit);
    pinRow->addWidget(m_puk);
    pinRow->addStretch(1);
    form->addRow(pinRow);
    m_phoneEdit = Named(new QLineEdit(settingsBox), IdPhone);
    m_phoneEdit->setMaxLength(CSMS::MaxLength);
    m_phoneEdit->setMinimumWidth(180);
    form->addRow(Tr(42609), m_phoneEdit);
    m_numberSpin = Named(new QSpinBox(settingsBox), IdNumber);
    m_numberSpin->setRange(10, 2000);
    form->addRow(Tr(42610), m_numberSpin);
    m_time = Named(new QTimeEdit(settingsBox), IdTime);
    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    form->addRow(Tr(42611), m_time);
    m_activeBox = Named(new QCheckBox(Tr(42612), settingsBox), IdActive);
    form->addRow(m_activeBox);
    m_diagnosis = Button(IdDiagnosis, 42613, settingsBox);
    form->addRow(m_diagnosis);

    auto* stateBox = new QGroupBox(Tr(42614), this);
    auto* state = new QGridLayout(stateBox);
    m_firmware = Named(new QLabel(stateBox), IdFirmware);
    m_serial = Named(new QLabel(stateBox), IdSerial);
    m_stateText = Named(new QLabel(stateBox), IdModemState);
    m_counter = Named(new QLabel(stateBox), IdCounter);
    m_bar = Named(new QProgressBar(stateBox), IdBar);
    m_bar->setRange(330, 420);
    m_bar->setTextVisible(false);
    int row = 0;
    state->addWidget(new QLabel(Tr(42615), stateBox), row, 0);
    state->addWidget(m_firmware, row++, 1);
    state->addWidget(new QLabel(Tr(42616), stateBox), row, 0);
    state->addWidget(m_serial, row++, 1);
    state->addWidget(new QLabel(Tr(42617), stateBox), row, 0);
    state->addWidget(m_stateText, row++, 1);
    state->addWidget(new QLabel(Tr(42618), stateBox), row, 0);
    state->addWidget(m_bar, row++, 1);
    auto* bits = new QHBoxLayout;
    for (int k = 0; k < 5; ++k) {
        m_status[k] = Named(new QCheckBox(QString::number(k + 1), stateBox), IdStatus0 + k);
        m_status[k]->setEnabled(false);
        bits->addWidget(m_status[k]);
    }
    bits->addStretch(1);
    state->addWidget(new QLabel(Tr(42619), stateBox), row, 0);
    state->addLayout(bits, row++, 1);
    state->addWidget(new QLabel(Tr(42620), stateBox), row, 0);
    state->addWidget(m_counter, row++, 1);
    state->setRowStretch(row, 1);

    auto* lower = new QHBoxLayout;
    lower->addWidget(settingsBox, 1);
    lower->addWidget(stateBox, 1);
    auto* page = new QVBoxLayout(this);
    page->addWidget(entriesBox, 1);
    page->addLayout(lower);

    connect(m_add, &QPushButton::clicked, this, &CPropertyPageSMSModule::AddEntry);
    connect(m_edit, &QPushButton::clicked, this, &CPropertyPageSMSModule::EditEntry);
    connect(m_duplicate, &QPushButton::clicked, this, &CPropertyPageSMSModule::DuplicateEntry);
    connect(m_delete, &QPushButton::clicked, this, &CPropertyPageSMSModule::DeleteEntry);
    connect(m_test, &QPushButton::clicked, this, &CPropertyPageSMSModule::TestEntry);
    connect(m_puk, &QPushButton::clicked, this, &CPropertyPageSMSModule::EnterPuk);
    connect(m_diagnosis, &QPushButton::clicked, this, &CPropertyPageSMSModule::OpenDiagnosis);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateControlStates(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { EditEntry(); });
    connect(m_phoneEdit, &QLineEdit::textEdited, this, [this] { Edited(90); });
    connect(m_phoneEdit, &QLineEdit::editingFinished, this, [this] {
        const QString n = CSMS::NormalisePhoneNumber(m_phoneEdit->text());
        if (n != m_phoneEdit->text()) m_phoneEdit->setText(n);
    });
    connect(m_pinEdit, &QLineEdit::textEdited, this, [this] { Edited(8); });
    connect(m_pinBox, &QCheckBox::clicked, this, [this] { Edited(8); });
    connect(m_time, &QTimeEdit::timeChanged, this, [this] { Edited(2060); });
    connect(m_numberSpin, &QSpinBox::valueChanged, this, [this] { Edited(89); });
    connect(m_activeBox, &QCheckBox::clicked, this, [this] { Edited(86); });
}

void CPropertyPageSMSModule::Edited(int key) {
    if (IsFillingControls()) return;
    SetChanged(key);
    MarkModified(true);
    UpdateControlStates();
}

void CPropertyPageSMSModule::DoDataExchange(bool save) {
    if (save) {
        m_pinOn = m_pinBox->isChecked();
        m_pin = m_pinEdit->text().trimmed();
        m_phone = CSMS::NormalisePhoneNumber(m_phoneEdit->text());
        m_number = m_numberSpin->value();
        const QTime t = m_time->time();
        m_minutes = t.hour() * 60 + t.minute();
        m_active = m_activeBox->isChecked();
        return;
    }
    m_pinBox->setChecked(m_pinOn);
    m_pinEdit->setText(m_pin);
    m_phoneEdit->setText(m_phone);
    m_numberSpin->setValue(m_number);
    m_time->setTime(QTime(m_minutes / 60 % 24, m_minutes % 60));
    m_activeBox->setChecked(m_active);
    FillList(SelectedRow());
}

bool CPropertyPageSMSModule::ReadValues() {
    auto read = [this](int n) { return Read(n, false, true); };
    auto text = [this](int n, QString& out) {
        if (ReadParam(n, false, true) != 0) return false;
        QByteArray bytes = LastText();
        bytes.replace('\0', QByteArray());
        out = QString::fromLatin1(bytes);
        return true;
    };
    const auto firmware = read(0);
    if (!firmware) return false;
    m_firmware->setText(QString::number(*firmware / 100, 'g', 5));
    const auto serial = read(6);
    if (!serial) return false;
    m_serial->setText(QString::number(SaturatingCast<int64_t>(*serial)));
    if (!read(6)) return false;
    const auto pin = read(8);
    if (!pin) return false;
    m_pinOn = *pin != kNoPin;
    // Four digits as the module holds them: "0042" is not the PIN 42.
    m_pin = m_pinOn ? QStringLiteral("%1").arg(SaturatingCast<qint64>(*pin), 4, 10, QLatin1Char('0')) : QString();
    const auto number = read(89);
    if (!number) return false;
    m_number = SaturatingCast<int>(*number);
    const auto active = read(86);
    if (!active) return false;
    m_active = m_activeOnDevice = *active != 0;
    if (!text(90, m_phone)) return false;

    CSMSArray entries;
    for (int i = 0; i < kEntrySlots; ++i) {
        const int b = Block(i);
        CSMS e;
        if (!text(b, e.recipient)) return false;
        if (e.recipient.isEmpty()) continue;
        if (!text(b + 10, e.text)) return false;
        // One read at a time: on a dead link the first failure ends the read.
        double v[5];
        for (int j = 0; j < 5; ++j) {
            const auto value = read(b + 20 + j);
            if (!value) return false;
            v[j] = *value;
        }
        if (!text(b + 28, e.code)) return false;
        const auto k = SaturatingCast<uint32_t>(v[0]);
        e.event = k & 0xFF;
        e.condition = (k >> 8) & 0xFF;
        e.minutes = static_cast<int>(SaturatingCast<uint32_t>(v[1]) % (24 * 60));
        e.value1 = SaturatingCast<uint8_t>(v[2]);
        e.flag = v[3] != 0 ? 1 : 0;
        e.value2 = SaturatingCast<uint8_t>(v[4]);
        e.slot = i;
        entries.append(e);
    }
    m_entries = entries;
    return true;
}

bool CPropertyPageSMSModule::WriteText(int number, const QString& text) {
    return WriteTextParam(number, text.toLatin1(), false, true) == 0;
}

bool CPropertyPageSMSModule::WriteAll(bool& switchedOff) {
    // The module is switched off only around changes it must not act on half-done.
    const bool settings = IsChanged(2060) || IsChanged(8) || IsChanged(89) || IsChanged(90) ||
                          IsChanged(KeyEntries);
    if (settings) {
        if (!Write(86, 0)) return false;
        switchedOff = true;
    }
    if (IsChanged(2060) && !Write(2060, m_minutes)) return false;
    if (IsChanged(8) && !Write(8, m_pinOn ? m_pin.toInt() : kNoPin)) return false;
    if (IsChanged(89) && !Write(89, m_number)) return false;
    if (IsChanged(90) && !WriteText(90, m_phone)) return false;
    if (IsChanged(KeyEntries)) {
        for (int i = 0; i < kEntrySlots; ++i) {
            const CSMS e = i < m_entries.size() ? m_entries.at(i) : CSMS();
            const int b = Block(i);
            if (!WriteText(b, e.recipient) || !WriteText(b + 10, e.text) ||
                !Write(b + 20, e.event | (e.condition << 8)) || !Write(b + 21, e.minutes) ||
                !Write(b + 22, e.value1) || !Write(b + 23, e.flag) || !Write(b + 24, e.value2) ||
                !WriteText(b + 28, e.code))
                return false;
        }
    }
    if ((settings || IsChanged(86)) && !Write(86, m_active ? 1 : 0)) return false;
    m_activeOnDevice = m_active;
    return true;
}

bool CPropertyPageSMSModule::WriteValues() {
    // A PIN the module cannot take is refused before anything is sent (10000 means none).
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    if (IsChanged(8) && m_pinOn && !fourDigits.match(m_pin).hasMatch()) {
        CMessageService::ShowMessage(42621, CMessageService::Icon::Stop,
                                     CMessageService::Buttons::Ok);
        return false;
    }
    bool switchedOff = false;
    if (WriteAll(switchedOff)) {
        // The module now holds the entries in list order: Test must address those slots.
        if (IsChanged(KeyEntries))
            for (int i = 0; i < m_entries.size(); ++i) m_entries[i].slot = i;
        FillList(SelectedRow());
        return true;
    }
    // Stopped after the module was switched off: put it back as it was and say so.
    if (switchedOff && Controller().IsConnected()) {
        const bool restored = WriteParam(86, m_activeOnDevice ? 1 : 0, true, true) == 0;
        const bool active = restored && m_activeOnDevice;
        CMessageService::ShowMessage(active ? 42622 : 42623, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::Ok);
    } else if (switchedOff) {
        CMessageService::ShowMessage(42623, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::Ok);
    }
    return false;
}

void CPropertyPageSMSModule::ShowModemState(int state) {
    m_modemState = state;
    if (state >= 0 && state < static_cast<int>(std::size(kModemTexts)))
        m_stateText->setText(Tr(kModemTexts[state]));
    else
        m_stateText->setText(Tr(42624).arg(state));  // a state this program has no text for
    UpdateControlStates();
}

void CPropertyPageSMSModule::OnRefreshTick() {
    if (!Controller().IsConnected() || !IsRead()) return;
    const int numbers[6] = {2058, 2059, 2050, 2051, 2060, 2061};
    const int step = m_liveStep;
    if (step == 4 && IsChanged(2060)) {
        m_liveStep = 5;
        return;
    }
    const auto v = Read(numbers[step], false, true);
    if (!v) return;  // the same step again at the next tick
    const int64_t value = SaturatingCast<int64_t>(*v);
    switch (step) {
        case 0: m_bar->setValue(static_cast<int>(std::clamp<int64_t>(value, 330, 420))); break;
        case 1: ShowModemState(static_cast<int>(std::clamp<int64_t>(value, -1, 1000))); break;
        case 2:
            for (int k = 0; k < 4; ++k) m_status[k]->setChecked((value >> k) & 1);
            break;
        case 3: m_status[4]->setChecked(value != 0); break;
        case 4: {
            // The module's clock, not an edit: no change flag, but kept, so that leaving
            // and coming back shows it rather than midnight.
            const QSignalBlocker quiet(m_time);
            m_minutes = static_cast<int>(((value % 1440) + 1440) % 1440);
            m_time->setTime(QTime(m_minutes / 60, m_minutes % 60));
            break;
        }
        case 5: m_counter->setText(QString::number(value)); break;
    }
    m_liveStep = (step + 1) % 6;
}

void CPropertyPageSMSModule::FillList(int select) {
    if (!m_list) return;
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const CSMS& e : m_entries) {
        QString type = CEditSMS::EventName(e.event);
        if (e.event != 0 && e.event != 2) type += QStringLiteral(" - ") + CEditSMS::ConditionName(e.condition);
        m_list->addTopLevelItem(new QTreeWidgetItem({e.recipient, Shown(e.text), type}));
    }
    SelectRow(std::min(select, static_cast<int>(m_entries.size()) - 1));
    UpdateControlStates();
}

int CPropertyPageSMSModule::SelectedRow() const {
    if (!m_list) return -1;
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.first());
}

void CPropertyPageSMSModule::SelectRow(int row) {
    m_list->clearSelection();
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        item->setSelected(true);
        m_list->setCurrentItem(item);
    }
    UpdateControlStates();
}

void CPropertyPageSMSModule::UpdateControlStates() {
    if (!m_list) return;
    const int row = SelectedRow();
    const bool selected = row >= 0 && row < m_entries.size();
    m_edit->setEnabled(selected);
    m_delete->setEnabled(selected);
    m_test->setEnabled(selected && m_entries.at(row).slot != -1);
    m_duplicate->setEnabled(selected && !m_entries.IsFull());
    m_add->setEnabled(!m_entries.IsFull());
    m_pinEdit->setEnabled(m_pinBox->isChecked());
    m_puk->setEnabled(m_modemState == 6);
    m_diagnosis->setVisible(Controller().IsServiceMode());
}

namespace {
bool RunDialog(CSMS& entry, QWidget* parent) {
    CEditSMS dialog(entry, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    entry = dialog.Record();
    return true;
}
}  // namespace

void CPropertyPageSMSModule::AddEntry() {
    if (m_entries.IsFull()) return;
    CSMS e;
    if (!(runEditor ? runEditor(e) : RunDialog(e, this))) return;
    e.slot = -1;
    m_entries.append(e);
    Edited(KeyEntries);
    FillList(m_entries.size() - 1);
}

void CPropertyPageSMSModule::EditEntry() {
    const int row = SelectedRow();
    if (row < 0 || row >= m_entries.size()) return;
    CSMS e = m_entries.at(row);
    if (!(runEditor ? runEditor(e) : RunDialog(e, this))) return;
    e.slot = -1;
    m_entries[row] = e;
    Edited(KeyEntries);
    FillList(row);
}

void CPropertyPageSMSModule::DuplicateEntry() {
    const int row = SelectedRow();
    if (row < 0 || row >= m_entries.size() || m_entries.IsFull()) return;
    CSMS e = m_entries.at(row);
    if (!(runEditor ? runEditor(e) : RunDialog(e, this))) return;
    e.slot = -1;
    m_entries.append(e);
    Edited(KeyEntries);
    FillList(m_entries.size() - 1);
}

void CPropertyPageSMSModule::DeleteEntry() {
    const int row = SelectedRow();
    if (row < 0 || row >= m_entries.size()) return;
    m_entries.removeAt(row);
    Edited(KeyEntries);
    FillList(row);
}

void CPropertyPageSMSModule::TestEntry() {
    const int row = SelectedRow();
    if (row < 0 || row >= m_entries.size() || m_entries.at(row).slot < 0) return;
    const CSMS& e = m_entries.at(row);
    if (CMessageService::ShowMessage(455, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::YesNo, {e.recipient}, this) !=
        CUserInteraction::IdYes)
        return;
    WriteParam(2057, e.slot, false, true);
}

void CPropertyPageSMSModule::EnterPuk() {
    int puk = 0;
    bool ok = false;
    if (runPuk) {
        ok = runPuk(puk);
    } else {
        CEnterPUK dialog(this);
        ok = dialog.exec() == QDialog::Accepted;
        puk = dialog.Puk();
    }
    if (ok) WriteParam(9, puk, false, true);
}

void CPropertyPageSMSModule::OpenDiagnosis() {
    // The modem's byte stream and bus frames must not mix, and the closing escape must reach
    // the module: only a serial line gives both.
    if (!CSMSDiagnosis::IsPossible()) {
        CMessageService::ShowMessage(42625, CMessageService::Icon::Information,
                                     CMessageService::Buttons::Ok, {}, this);
        return;
    }
    if (CMessageService::ShowMessage(463, CMessageService::Icon::Question,
                                     CMessageService::Buttons::YesNo, {}, this) !=
        CUserInteraction::IdYes)
        return;
    StopRefresh();
    {
        CSMSDiagnosis dialog(this);
        if (dialog.Open(*this)) {
            // While the modem has the line no bus frame may go out, the alert cycle's neither;
            // the flag is held until the escape has given the line back.
            CTimerStop transfer;
            dialog.exec();
        }
    }
    // A refused start went the way of every failed access: the page is no longer active.
    if (IsActive()) StartRefresh();
}
