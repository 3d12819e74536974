// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/level/CPropertyPageLevel304.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "app/CTimerStop.h"
#include "app/FieldCodecs.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "pages/level/LevelChannelRecord.h"
#include "pages/level/LevelStateText.h"
#include "ui/page/CPageRegistry.h"
#include "ui/services/CMessageService.h"

KORVALIS_REGISTER_PAGE(CPropertyPageLevel304);

namespace {
constexpr int kModeIds[3] = {CPropertyPageLevel304::IdMode1, CPropertyPageLevel304::IdMode2,
                             CPropertyPageLevel304::IdMode3};
}  // namespace

CPropertyPageLevel304::CPropertyPageLevel304() = default;

bool CPropertyPageLevel304::ThreeChannels() const {
    return Controller().Model() && Controller().Model()->levelChannels >= 3;
}

bool CPropertyPageLevel304::Above400() const {
    return Controller().FirmwareVersion() > 400;
}

int CPropertyPageLevel304::ModeOf(int channel) {
    const int index = FieldAt(kModeIds[channel])->Index();
    const std::vector<int>& modes = m_modes[size_t(channel)];
    return index >= 0 && index < int(modes.size()) ? modes[size_t(index)] : -1;
}

void CPropertyPageLevel304::SetMode(int channel, int mode) {
    const std::vector<int>& modes = m_modes[size_t(channel)];
    const auto it = std::find(modes.begin(), modes.end(), mode);
    FieldAt(kModeIds[channel])->SetValue(it == modes.end() ? -1 : double(it - modes.begin()));
    SetChanged(kModeIds[channel]);
}

void CPropertyPageLevel304::DeclareFields() {
    using namespace FieldCodecs;
    m_modes[0] = {0, 1, 4, 2, 3, 5};
    if (Above400()) m_modes[0].push_back(6);
    m_modes[1] = m_modes[2] = {0, 1, 4};
    for (int c = 0; c < 3; ++c) {
        const std::vector<int>& modes = m_modes[size_t(c)];
        QStringList items;
        for (int m : modes) items << LevelChannelRecord::ModeName(m);
        const int shift = 4 * c;
        // The nibble is the mode; a mode the list does not offer shows no selection and
        // goes back as it came.
        Combo(760, kModeIds[c], items)
            .Bits(shift, 4)
            .Key(kModeIds[c])
            .Codec(
                [modes, shift](uint32_t raw, int32_t) {
                    const auto it = std::find(modes.begin(), modes.end(), int(GetBits(raw, shift, 4)));
                    return it == modes.end() ? -1.0 : double(it - modes.begin());
                },
                [modes, shift](double index, uint32_t raw) -> int64_t {
                    const int i = int(index);
                    return i >= 0 && i < int(modes.size()) ? modes[size_t(i)] : GetBits(raw, shift, 4);
                });
    }
    const auto above400 = [this] { return Above400(); };
    Radio(760, {IdVariant1, IdVariant2}, {Tr(46958), Tr(46959)}).Bits(12, 1).When(above400);
    Real(760, IdSelectionNumber)
        .Bits(13, 3)
        .Range(1, 8)
        .Spin(1, 8)
        .When(above400)
        .Codec([](uint32_t raw, int32_t) { return double(GetBits(raw, 13, 3) + 1); },
               [](double v, uint32_t) { return int64_t(std::clamp(int(v), 1, 8) - 1); });

    const auto three = [this] { return ThreeChannels(); };
    Real(761, IdDelay1).Range(0, 240).Spin(0, 240);
    Real(762, IdDelay2).Range(0, 240).Spin(0, 240);
    Real(768, IdDelay3).Range(0, 240).Spin(0, 240).When(three);
    Duration(763, IdTime1);
    Duration(764, IdTime2);
    Duration(769, IdTime3).When(three);
    for (int id : {IdTime1, IdTime2, IdTime3}) {
        auto* t = ControlAs<QTimeEdit>(id);
        t->setDisplayFormat(QStringLiteral("H:mm:ss"));
        t->setTimeRange(QTime(0, 0, 0), QTime(8, 0, 0));
    }
    Check(765, IdFlag, Tr(46956));
    Real(766, IdNumber).Range(1, 8).Spin(1, 8);

    ReadOrder({760, 761, 762, 768, 763, 764, 769, 765, 766});
    WriteOrder({765, 763, 764, 769, 760, 761, 762, 768, 766});
    SetReadCount(9);

    EnableWhen({IdMode3, IdTime3, IdDelay3}, three);
    EnableWhen({IdFunction, IdNumber}, [this] {
        const int mode = ModeOf(0);
        return mode == 3 || mode == 5;
    });
    EnableWhen({IdVariant1, IdVariant2}, above400);
    EnableWhen({IdSelectionNumber}, [this] {
        return Above400() && FieldAt(IdVariant1)->Index() == 1;
    });
    PageTopic(181);
}

void CPropertyPageLevel304::CreateControls() {
    auto* channels = new QGroupBox(Tr(46951), this);
    auto* grid = new QGridLayout(channels);
    grid->addWidget(new QLabel(Tr(46953), channels), 0, 1);
    grid->addWidget(new QLabel(Tr(46954), channels), 0, 2);
    grid->addWidget(new QLabel(Tr(46955), channels), 0, 3);
    const int delays[3] = {IdDelay1, IdDelay2, IdDelay3};
    const int times[3] = {IdTime1, IdTime2, IdTime3};
    for (int c = 0; c < 3; ++c) {
        grid->addWidget(new QLabel(TrArg(46952, {QString::number(c + 1)}), channels), c + 1, 0);
        grid->addWidget(Control(kModeIds[c]), c + 1, 1);
        grid->addWidget(Control(delays[c]), c + 1, 2);
        grid->addWidget(Control(times[c]), c + 1, 3);
    }
    grid->addWidget(Control(IdFlag), 4, 0, 1, 2);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(Tr(46960), channels));
    numberRow->addWidget(Control(IdNumber));
    numberRow->addStretch(1);
    grid->addLayout(numberRow, 4, 2, 1, 2);
    grid->setColumnStretch(4, 1);

    auto* selection = new QGroupBox(Tr(46957), this);
    auto* selectionRow = new QHBoxLayout(selection);
    selectionRow->addWidget(Control(IdVariant1));
    selectionRow->addWidget(Control(IdVariant2));
    selectionRow->addWidget(Control(IdSelectionNumber));
    selectionRow->addStretch(1);

    auto* state = new QGroupBox(Tr(46909), this);
    auto* stateGrid = new QGridLayout(state);
    int k = 0;
    for (const auto& [id, bit] : kLamps) {
        auto* lamp = new QCheckBox(TrArg(46962, {QString::number(bit)}), state);
        lamp->setObjectName(QString::number(id));
        // A lamp: the controller sets it, the user cannot.
        lamp->setAttribute(Qt::WA_TransparentForMouseEvents);
        lamp->setFocusPolicy(Qt::NoFocus);
        stateGrid->addWidget(lamp, k / 5, k % 5);
        ++k;
    }
    m_stateText = new QLabel(state);
    m_stateText->setObjectName(QString::number(IdStateText));
    stateGrid->addWidget(m_stateText, 3, 0, 1, 5);
    m_clear = new QPushButton(Tr(46906), state);
    m_clear->setObjectName(QString::number(IdClearAlarm));
    m_clear->setEnabled(false);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        CTimerStop stop;
        WriteParam(1070, 0);
    });
    m_function = new QPushButton(Tr(46961), state);
    m_function->setObjectName(QString::number(IdFunction));
    connect(m_function, &QPushButton::clicked, this, [this] { StartFunction(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_clear);
    buttons->addWidget(m_function);
    buttons->addStretch(1);
    stateGrid->addLayout(buttons, 4, 0, 1, 5);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(channels);
    layout->addWidget(selection);
    layout->addWidget(state);
    layout->addStretch(1);
}

void CPropertyPageLevel304::OnValueEdited(int key) {
    // The two-channel modes take the second channel with them.
    if (key == IdMode1 && LevelChannelRecord::IsTwoChannelMode(ModeOf(0))) {
        SetMode(1, 0);
        ShowFields();
    } else if (key == IdMode2 && ModeOf(1) != 0 && LevelChannelRecord::IsTwoChannelMode(ModeOf(0))) {
        SetMode(0, 0);
        ShowFields();
    }
}

void CPropertyPageLevel304::OnRefreshTick() {
    if (!m_stateText) return;
    if (ReadParam(1070, true) != 0) return;
    const auto word = uint32_t(int64_t(LastValue()) & 0xFFFF);
    for (const auto& [id, bit] : kLamps)
        if (auto* lamp = ControlAs<QCheckBox>(id)) lamp->setChecked(word & (1u << bit));
    m_clear->setEnabled(word & ((1u << 4) | (1u << 5) | (1u << 12)));
    if (ReadParam(1071, true) != 0) return;
    m_stateText->setText(LevelStateText::Text(int(std::clamp(LastValue(), -1.0, 65535.0))));
}

void CPropertyPageLevel304::StartFunction() {
    const int answer = CMessageService::ShowMessage(411, CMessageService::Icon::Warning,
                                                    CMessageService::Buttons::YesNo);
    if (answer != CUserInteraction::IdYes) return;
    CTimerStop stop;
    WriteParam(1058, 65280);
}

