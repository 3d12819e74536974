// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/timers/CPropertyPageTimers305.h"
#include "base/SaturatingCast.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "lang/CLanguage.h"
#include "pages/timers/CEditSwitchingPoint.h"
#include "pages/timers/CPointList.h"
#include "pages/timers/CPointListBox.h"
#include "params/CDescriptionLists.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/PageConversions.h"
#include "ui/services/CMessageService.h"

KORVALIS_REGISTER_PAGE(CPropertyPageTimers305);

namespace {
QString TimeText(int minutes) {
    return QLocale().toString(MinutesToTime(minutes), QLocale::ShortFormat);
}
}  // namespace

CPropertyPageTimers305::CPropertyPageTimers305() = default;

QStringList CPropertyPageTimers305::RowTexts(const CSwitchtime& p, int type) {
    switch (type) {
    case CTimer::OnOff: return {TimeText(p.start), TimeText(p.second)};
    case CTimer::Pulse: return {TimeText(p.start), QStringLiteral("%1s").arg(p.second)};
    default: return {MinutesToTime(p.start).toString(QStringLiteral("HH:mm"))};
    }
}

void CPropertyPageTimers305::CreateControls() {
    PageTopic(606);
    auto* nameRow = new QFormLayout;
    nameRow->addRow(Tr(16602), BindLineEdit(IdName, m_name, KeyName));

    auto* modeBox = new QGroupBox(Tr(16603), this);
    auto* modeLayout = new QGridLayout(modeBox);
    QButtonGroup* modes = BindRadio({IdWeekdays, IdCycle}, m_mode, KeyMode, {Tr(16604), Tr(16605)});
    modeLayout->addWidget(modes->button(0), 0, 0, 1, 4);
    static const int dayText[7] = {StringId(14511), StringId(14512), StringId(14513), StringId(14514),
                                   StringId(14515), StringId(14516), StringId(14517)};
    QStringList days;
    for (int t : dayText) days << Tr(t);
    const std::vector<QCheckBox*> boxes =
        BindBits(std::vector<int>(std::begin(kDayIds), std::end(kDayIds)), m_days, KeyDays, days);
    for (int d = 0; d < 7; ++d) modeLayout->addWidget(boxes[d], 1 + d / 4, d % 4);
    modeLayout->addWidget(modes->button(1), 3, 0, 1, 4);
    auto* cycle = new QFormLayout;
    cycle->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    cycle->addRow(Tr(16606), BindEditSpin(IdCycleLength, m_cycleLength, KeyLength, 1, 1, 200));
    cycle->addRow(Tr(16607), BindEditSpin(IdOffset, m_offset, KeyOffset, 1, 0, 199));
    modeLayout->addLayout(cycle, 4, 0, 1, 4);
    modeLayout->setRowStretch(5, 1);

    auto* typeBox = new QGroupBox(Tr(16608), this);
    auto* typeLayout = new QVBoxLayout(typeBox);
    QButtonGroup* types = BindRadio({IdTypeOnOff, IdTypePulse, IdTypeInstant}, m_type, KeyType,
                                    {Tr(16609), Tr(16610), Tr(16611)});
    for (int t = 0; t < 3; ++t) typeLayout->addWidget(types->button(t));
    typeLayout->addWidget(BindCheck(IdOption, m_option, KeyFlags, Tr(16612)));
    typeLayout->addStretch(1);

    auto* pointsBox = new CPointListBox(Tr(16613), Tr(16614), Tr(16615), Tr(16616), this);
    m_points = pointsBox;
    m_list = pointsBox->List();
    pointsBox->Manage(
        this, m_timer.points, CTimer::kMaxPoints,
        [this](CSwitchtime& point) {
            CEditSwitchingPoint dialog(point, m_timer.pointType, this);
            if (dialog.exec() != QDialog::Accepted) return false;
            point = dialog.Record();
            return true;
        },
        [this] { m_timer.Sort(); }, [this] { PointsEdited(); });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addLayout(nameRow, 0, 0, 1, 2);
    grid->addWidget(modeBox, 1, 0);
    grid->addWidget(typeBox, 1, 1);
    grid->addWidget(pointsBox, 2, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(2, 1);
    RebuildList();
}

bool CPropertyPageTimers305::ReadValues() {
    const int k = InstanceIndex();
    const QStringList& names = DescriptionNames(CDescriptionLists::Timer);
    m_name = k < names.size() ? names[k] : QString();
    const int base = Base();
    const auto counter = Read(171);
    if (!counter) return false;
    m_dayCounter = SaturatingCast<int64_t>(*counter);
    const auto flags = Read(base);
    if (!flags) return false;
    m_deviceFlags = SaturatingCast<uint32_t>(*flags);
    m_mode = CTimer::ModeOf(m_deviceFlags);
    m_type = CTimer::PointTypeOf(m_deviceFlags);
    m_option = CTimer::OptionOf(m_deviceFlags);
    const auto daysOrLength = Read(base + 3);
    if (!daysOrLength) return false;
    m_offset = 0;
    if (m_mode == 1) {
        m_cycleLength = *daysOrLength;
        m_days = 0;
        const auto reference = Read(base + 2);
        if (!reference) return false;
        m_offset = CTimer::OffsetFromReference(SaturatingCast<int64_t>(*reference), m_dayCounter,
                                              SaturatingCast<int>(m_cycleLength));
    } else {
        m_days = SaturatingCast<uint32_t>(*daysOrLength) & 0x7F;
    }
    const auto count = Read(base + 1);
    if (!count) return false;
    // The count comes from the device: more than eight would reach into the next timer.
    m_truncated = *count > CTimer::kMaxPoints;
    const int n = int(std::min<double>(*count, CTimer::kMaxPoints));
    m_timer.points.clear();
    m_timer.pointType = uint8_t(m_type);
    for (int i = 0; i < n; ++i) {
        const auto start = Read(base + 4 + 2 * i);
        if (!start) return false;
        const auto second = Read(base + 5 + 2 * i);
        if (!second) return false;
        m_timer.points.push_back({uint16_t(std::min<double>(*start, 0xFFFF)),
                                  uint16_t(std::min<double>(*second, 0xFFFF))});
    }
    m_points->ShowNote(m_truncated ? TrArg(16617, {QString::number(int64_t(*count))}) : QString());
    RebuildList();
    return true;
}

int CPropertyPageTimers305::ValidationMessage() const {
    if (!IsChanged(KeyPoints)) return 0;
    switch (m_timer.Validate()) {
    case CTimer::OrderError: return 423;
    case CTimer::OverlapError: return 422;
    default: return 0;
    }
}

bool CPropertyPageTimers305::WriteValues() {
    const int k = InstanceIndex();
    QStringList& names = DescriptionNames(CDescriptionLists::Timer);
    if (k < names.size()) names[k] = m_name;
    if (const int message = ValidationMessage()) {
        CMessageService::ShowMessage(message, CMessageService::Icon::Stop, CMessageService::Buttons::Ok, {}, this);
        return false;
    }
    const int base = Base();
    const auto write = [this](int number, double value) { return WriteParam(number, value) == 0; };
    if (IsChanged(KeyPoints)) {
        if (!write(base + 1, m_timer.Count())) return false;
        for (int i = 0; i < m_timer.Count(); ++i) {
            if (!write(base + 4 + 2 * i, m_timer.points[i].start)) return false;
            if (!write(base + 5 + 2 * i, m_timer.points[i].second)) return false;
        }
    }
    if (IsChanged(KeyFlags)) {
        const uint32_t flags = CTimer::Flags(m_mode, m_type, m_option, m_deviceFlags);
        if (!write(base, flags)) return false;
        m_deviceFlags = flags;
    }
    if (m_mode == 0 && IsChanged(KeyDays) && !write(base + 3, m_days)) return false;
    if (m_mode == 1 && IsChanged(KeyLength) && !write(base + 3, int(m_cycleLength))) return false;
    // The reference is defined only for a cycle of at least one day. It depends on the
    // cycle length too, so a new length or mode rewrites it from the offset shown.
    if (m_mode == 1 && (IsChanged(KeyOffset) || IsChanged(KeyLength) || IsChanged(KeyMode))) {
        if (const auto reference = CTimer::CycleReference(m_dayCounter, int(m_cycleLength), int(m_offset)))
            if (!write(base + 2, double(*reference))) return false;
    }
    return true;
}

bool CPropertyPageTimers305::OnKillActive() {
    if (IsModified()) {
        UpdateData(true);
        if (const int message = ValidationMessage()) {
            CMessageService::ShowMessage(message, CMessageService::Icon::Stop, CMessageService::Buttons::Ok, {},
                                         this);
            return false;
        }
    }
    return CMyPropertyPage::OnKillActive();
}

void CPropertyPageTimers305::OnValueEdited(int key) {
    if (key == KeyMode) {
        m_days = 0;
        m_offset = 0;
        m_cycleLength = m_mode == 1 ? 1 : 0;
        SetChanged(KeyLength);
        SetChanged(KeyDays);
        SetChanged(KeyFlags);
        ShowFields();
    } else if (key == KeyType) {
        SetChanged(KeyFlags);
        m_timer.points.clear();
        m_timer.pointType = uint8_t(std::max(m_type, 0));
        SetChanged(KeyPoints);
        RebuildList();
    }
}

void CPropertyPageTimers305::RebuildList() {
    if (!m_list) return;
    const int type = m_timer.pointType;
    QStringList captions{Tr(165), Tr(259)};
    std::vector<int> widths{70, 100};
    if (type == CTimer::OnOff) captions << Tr(262);
    if (type == CTimer::Pulse) captions << Tr(260);
    m_list->SetColumns(captions, widths);
    std::vector<QStringList> rows;
    for (const CSwitchtime& p : m_timer.points) rows.push_back(RowTexts(p, type));
    m_list->SetRows(rows);
}

void CPropertyPageTimers305::PointsEdited() {
    MarkModified(true);
    SetChanged(KeyPoints);
    RebuildList();
    RefreshControlStates();
}

void CPropertyPageTimers305::UpdateControlStates() {
    for (int id : kDayIds)
        if (QWidget* w = Control(id)) w->setEnabled(m_mode == 0);
    for (int id : {int(IdCycleLength), int(IdOffset)})
        if (QWidget* w = Control(id)) w->setEnabled(m_mode == 1);
    if (!m_list) return;
    m_points->UpdateButtons(m_timer.IsFull());
}
