// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/level/CPropertyPageLevel408.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "app/CTimerStop.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "pages/level/CEditLevelSensor.h"
#include "pages/level/LevelStateText.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CRecordList.h"
#include "ui/page/PageConversions.h"
#include "ui/services/CMessageService.h"

KORVALIS_REGISTER_PAGE(CPropertyPageLevel408);

namespace {
constexpr int kLevelDescriptions = 2;  // the application's level list

QString RowCaption(int i) {
    return Tr(181) + QLatin1Char(' ') + QString::number(i + 1);
}
}  // namespace

CPropertyPageLevel408::CPropertyPageLevel408() = default;

int CPropertyPageLevel408::ChannelCount() const {
    const ModelInfo* model = Controller().Model();
    return model ? std::clamp(int(model->levelChannels), 0, kMaxChannels) : 0;
}

void CPropertyPageLevel408::CreateControls() {
    static const int captions[6] = {StringId(196), StringId(467), StringId(197), StringId(415),
                                    StringId(414), StringId(291)};
    QStringList headers;
    for (int id : captions) headers << Tr(id);
    m_list = new CRecordList(IdChannels, headers, {150, 160, 100, 110, 110, 130}, this);
    m_list->SetRowCount(ChannelCount());
    m_list->FitRows(3);
    auto* edit = new QPushButton(Tr(46802), this);
    edit->setObjectName(QString::number(IdEdit));
    m_list->SetEditButton(edit);
    connect(m_list, &CRecordList::editRequested, this, [this](int row) { EditChannel(row); });

    static const int stateCaptions[5] = {StringId(196), StringId(384), StringId(468),
                                         StringId(469), StringId(249)};
    headers.clear();
    for (int id : stateCaptions) headers << Tr(id);
    m_states = new CRecordList(IdStates, headers, {150, 70, 100, 100, 100}, this);
    m_states->SetRowCount(ChannelCount());
    m_states->FitRows(3);
    m_states->setSelectionMode(QAbstractItemView::NoSelection);
    for (int i = 0; i < ChannelCount(); ++i) {
        m_list->SetText(i, 0, RowCaption(i));
        m_states->SetText(i, 0, RowCaption(i));
    }

    CEditSpin* number = Bindings().EditSpin(IdNumber, m_number, ChannelKey(0), 1, 1, 8);
    number->SetSpinRange(1, 8);
    m_stateText = new QLabel(this);
    m_stateText->setObjectName(QString::number(IdStateText));
    m_alarm = new QCheckBox(Tr(46905), this);
    m_alarm->setObjectName(QString::number(IdAlarm));
    // An indicator: the controller sets it, the user cannot.
    m_alarm->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_alarm->setFocusPolicy(Qt::NoFocus);
    m_clear = new QPushButton(Tr(46906), this);
    m_clear->setObjectName(QString::number(IdClearAlarm));
    connect(m_clear, &QPushButton::clicked, this, [this] { ClearAlarm(); });
    m_function = new QCheckBox(Tr(46907), this);
    m_function->setObjectName(QString::number(IdFunction));
    connect(m_function, &QCheckBox::clicked, this, [this](bool on) { SwitchFunction(on); });

    auto* settings = new QHBoxLayout;
    settings->addWidget(new QLabel(Tr(46908), this));
    settings->addWidget(number);
    settings->addStretch(1);
    settings->addWidget(edit);

    auto* stateBox = new QGroupBox(Tr(46909), this);
    auto* stateGrid = new QGridLayout(stateBox);
    stateGrid->addWidget(m_states, 0, 0, 1, 3);
    stateGrid->addWidget(m_stateText, 1, 0, 1, 3);
    stateGrid->addWidget(m_alarm, 2, 0);
    stateGrid->addWidget(m_clear, 2, 1);
    stateGrid->addWidget(m_function, 3, 0, 1, 3);
    stateGrid->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    layout->addLayout(settings);
    layout->addWidget(stateBox);
    layout->addStretch(1);
    PageTopic(181);
}

bool CPropertyPageLevel408::ReadValues() {
    const QStringList& names = DescriptionNames(kLevelDescriptions);
    for (int i = 0; i < ChannelCount(); ++i) {
        LevelChannelRecord& c = m_channels[size_t(i)];
        const std::optional<double> flags = Read(760 + 3 * i);
        if (!flags) return false;
        const std::optional<double> delay = Read(761 + 3 * i);
        if (!delay) return false;
        const std::optional<double> time = Read(762 + 3 * i);
        if (!time) return false;
        c.flags = uint32_t(int64_t(*flags) & 0xFFFF);
        c.delay = *delay;
        c.time = int(std::clamp(*time, 0.0, 65535.0));
        c.name = names.value(i);
    }
    m_number = FieldCodecs::GetBits(m_channels[0].flags, 8, 3) + 1;
    return true;
}

bool CPropertyPageLevel408::WriteValues() {
    QStringList& names = DescriptionNames(kLevelDescriptions);
    for (int i = 0; i < ChannelCount(); ++i) {
        if (!IsChanged(ChannelKey(i))) continue;
        LevelChannelRecord& c = m_channels[size_t(i)];
        if (i == 0)
            c.flags = FieldCodecs::SetBits(c.flags, 8, 3, uint32_t(std::clamp(int(m_number), 1, 8) - 1));
        if (WriteParam(760 + 3 * i, c.flags) != 0 ||
            WriteParam(761 + 3 * i, double(PageConversions::DisplayToDevice(c.delay, 1))) != 0 ||
            WriteParam(762 + 3 * i, c.time) != 0)
            return false;
        if (i < names.size()) names[i] = c.name;
    }
    return true;
}

void CPropertyPageLevel408::DoDataExchange(bool saveAndValidate) {
    if (!saveAndValidate) FillList();
}

void CPropertyPageLevel408::FillList() {
    if (!m_list) return;
    for (int i = 0; i < ChannelCount(); ++i) {
        const LevelChannelRecord& c = m_channels[size_t(i)];
        const int mode = c.Mode();
        const bool noCount = mode == 0 || mode == 3 || mode == 4 || mode == 7;
        m_list->SetText(i, 1, LevelChannelRecord::ModeName(mode));
        m_list->SetText(i, 2, noCount ? QStringLiteral("---") : QString::number(c.Count()));
        m_list->SetText(i, 3, QString::number(c.delay, 'g', 15) + QLatin1Char('s'));
        m_list->SetText(i, 4, QLocale().toString(SecondsToTime(c.time), QStringLiteral("H:mm:ss")));
        m_list->SetText(i, 5, c.name);
    }
}

bool CPropertyPageLevel408::EditChannel(int i) {
    if (i < 0 || i >= ChannelCount()) return false;
    const int modeBefore = m_channels[size_t(i)].Mode();
    if (!EditInDialog<CEditLevelSensor>(m_channels[size_t(i)], ChannelKey(i), i == 0, i + 1)) return false;
    // The two-channel modes take the second channel with them; whichever of the two
    // was given a mode last wins. An edit of the second channel that leaves its mode
    // alone (a new name, a delay) keeps the first channel's mode.
    const int mode = m_channels[size_t(i)].Mode();
    if (i == 0 && LevelChannelRecord::IsTwoChannelMode(mode) && ChannelCount() > 1) {
        m_channels[1].SetMode(0);
        SetChanged(ChannelKey(1));
    } else if (i == 1 && mode != 0 && mode != modeBefore &&
               LevelChannelRecord::IsTwoChannelMode(m_channels[0].Mode())) {
        m_channels[0].SetMode(0);
        SetChanged(ChannelKey(0));
    }
    FillList();
    RefreshControlStates();
    return true;
}

void CPropertyPageLevel408::OnRefreshTick() {
    if (!m_states) return;
    bool alarm = false;
    for (int i = 0; i < ChannelCount(); ++i) {
        if (ReadParam(1070 + i, true) != 0) return;
        const auto state = uint32_t(int64_t(LastValue()) & 0xFFFF);
        static const int bits[4] = {0, 1, 3, 4};
        for (int k = 0; k < 4; ++k)
            m_states->SetText(i, k + 1, state & (1u << bits[k]) ? QStringLiteral("X") : QString());
        alarm = alarm || (state & 1u);
        if (i == 0) {
            const int n = int(FieldCodecs::GetBits(state, 8, 4));
            m_stateText->setText(LevelStateText::Text(n));
            if (n <= 2) m_function->setChecked(n != 0);
        }
    }
    m_alarm->setChecked(alarm);
    RefreshControlStates();
}

void CPropertyPageLevel408::SwitchFunction(bool on) {
    if (on) {
        const int answer = CMessageService::ShowMessage(411, CMessageService::Icon::Warning,
                                                        CMessageService::Buttons::YesNo);
        if (answer != CUserInteraction::IdYes) {
            m_function->setChecked(false);
            return;
        }
    }
    CTimerStop stop;
    WriteParam(1058, on ? 256 : 0);
}

void CPropertyPageLevel408::ClearAlarm() {
    CTimerStop stop;
    WriteParam(1070, 0);
}

void CPropertyPageLevel408::UpdateControlStates() {
    if (!m_function) return;
    const int mode = m_channels[0].Mode();
    m_function->setEnabled(mode == 3 || mode == 5);
    m_clear->setEnabled(m_alarm->isChecked());
}
