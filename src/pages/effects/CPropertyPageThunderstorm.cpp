// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/effects/CPropertyPageThunderstorm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "params/CControllerView.h"
#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageThunderstorm);

CPropertyPageThunderstorm::CPropertyPageThunderstorm() = default;

bool CPropertyPageThunderstorm::HasFirmware407() const {
    return Controller().FirmwareVersion() >= 407;
}

void CPropertyPageThunderstorm::DeclareFields() {
    Real(742, IdCount).Range(0, 4);
    Real(740, IdValue740).Range(1, 10);
    Real(741, IdValue741).Range(0, 100);
    // The timer page's weekday boxes and bits; the mask is made of the boxes alone.
    static const int dayText[7] = {StringId(14511), StringId(14512), StringId(14513),
                                   StringId(14514), StringId(14515), StringId(14516),
                                   StringId(14517)};
    for (int k = 0; k < 7; ++k) Check(751, kDayIds[k], Tr(dayText[k])).Bits(k, 1);
    KeepBits(751, 0);
    for (int i = 0; i < 4; ++i) {
        Time(743 + 2 * i, kTimeIds[i]);
        Real(744 + 2 * i, kDurationIds[i]).Range(1, 20);
        EnableWhen({kTimeIds[i], kDurationIds[i]},
                   [this, i] { return FieldAt(IdCount)->Value() > i; });
    }
    auto fw407 = [this] { return HasFirmware407(); };
    Real(752, IdValue752).Range(0, 20).When(fw407);
    Real(753, IdValue753).Range(0, 240).When(fw407);
    Real(754, IdValue754).Range(1, 240).When(fw407);
    EnableWhen({IdValue752, IdValue753, IdValue754}, fw407);

    ReadOrder({742, 740, 741, 751, 743, 744, 745, 746, 747, 748, 749, 750, 752, 753, 754});
    WriteOrder({742, 740, 741, 751, 743, 744, 745, 746, 747, 748, 749, 750, 752, 754, 753});
    SetReadCount(16);
    PageTopic(94);
}

void CPropertyPageThunderstorm::CreateControls() {
    auto* storms = new QGroupBox(Tr(20901), this);
    auto* stormGrid = new QGridLayout(storms);
    stormGrid->addWidget(new QLabel(Tr(20902), storms), 0, 0);
    stormGrid->addWidget(Control(IdCount), 0, 1);
    stormGrid->addWidget(new QLabel(Tr(20903), storms), 1, 1);
    stormGrid->addWidget(new QLabel(Tr(20904), storms), 1, 2);
    for (int i = 0; i < 4; ++i) {
        stormGrid->addWidget(new QLabel(TrArg(20905, {QString::number(i + 1)}), storms), 2 + i, 0);
        stormGrid->addWidget(Control(kTimeIds[i]), 2 + i, 1);
        stormGrid->addWidget(Control(kDurationIds[i]), 2 + i, 2);
    }
    stormGrid->setColumnStretch(3, 1);
    auto* days = new QGridLayout;
    days->setHorizontalSpacing(12);
    for (int k = 0; k < 7; ++k) days->addWidget(Control(kDayIds[k]), k / 4, k % 4);
    stormGrid->addWidget(new QLabel(Tr(20906), storms), 6, 0, Qt::AlignTop);
    stormGrid->addLayout(days, 6, 1, 1, 3);
    stormGrid->setRowStretch(7, 1);

    auto* values = new QGroupBox(Tr(20910), this);
    auto* form = new QGridLayout(values);
    const int valueIds[5] = {IdValue740, IdValue741, IdValue752, IdValue753, IdValue754};
    const int valueTexts[5] = {StringId(20911), StringId(20912), StringId(20913), StringId(20914),
                               StringId(20915)};
    for (int r = 0; r < 5; ++r) {
        form->addWidget(new QLabel(Tr(valueTexts[r]), values), r, 0);
        form->addWidget(Control(valueIds[r]), r, 1);
        Control(valueIds[r])->setMinimumWidth(80);
    }
    form->setColumnStretch(2, 1);
    form->setRowStretch(5, 1);

    auto* now = new QGroupBox(Tr(20920), this);
    auto* nowLayout = new QHBoxLayout(now);
    m_startDuration = new CEditSpin(IdStartDuration, 1, 1, 20, now);
    m_startDuration->SetValueQuietly(5);
    m_startDuration->setMinimumWidth(80);
    auto* start = new QPushButton(Tr(20922), now);
    start->setObjectName(QString::number(IdStartNow));
    connect(start, &QPushButton::clicked, this, &CPropertyPageThunderstorm::StartNow);
    nowLayout->addWidget(new QLabel(Tr(20921), now));
    nowLayout->addWidget(m_startDuration);
    nowLayout->addWidget(start);
    nowLayout->addStretch(1);

    for (int id : kDurationIds) Control(id)->setMinimumWidth(80);
    Control(IdCount)->setMinimumWidth(80);
    // The count enables its rows as it is typed, clamped at once, not only when it is left.
    auto* count = ControlAs<CEditSpin>(IdCount);
    connect(count, &CEditSpin::textTyped, this, [this, count] {
        count->CommitTypedText();
        FieldAt(IdCount)->SetValue(count->value());
        RefreshControlStates();
    });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(storms, 0, 0, 2, 1);
    grid->addWidget(values, 0, 1);
    grid->addWidget(now, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
}

void CPropertyPageThunderstorm::OnValueEdited(int key) {
    if (key != 753 && key != 754) return;
    // The last value may not lie below the one before it, whichever of the two was edited;
    // a raised value is sent too.
    CPageField* upper = FieldOf(754);
    const double lower = FieldOf(753)->Value();
    if (upper->Value() < lower) {
        upper->SetValue(std::clamp(lower, 1.0, 240.0));
        SetChanged(754);
        ShowFields();
    }
}

void CPropertyPageThunderstorm::StartNow() {
    m_startDuration->CommitTypedText();
    const int duration = int(std::clamp(m_startDuration->value(), 1.0, 20.0));
    WriteParam(kCommand, StartCommand(duration));
}
