// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CPropertyPageIllumination.h"
#include "base/SaturatingCast.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "lang/CLanguage.h"
#include "pages/illumination/CEditDimmingPoint.h"
#include "pages/illumination/CRunChartView.h"
#include "pages/shared/COperatingHours.h"
#include "pages/timers/CEditSwitchingPoint.h"
#include "pages/timers/CPointList.h"
#include "pages/timers/CPointListBox.h"
#include "params/CDescriptionLists.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/PageConversions.h"
#include "ui/services/CMessageService.h"

KORVALIS_REGISTER_PAGE(CPropertyPageIllumination);

namespace {
QString TimeText(int minutes) {
    return QLocale().toString(MinutesToTime(minutes), QLocale::ShortFormat);
}
uint16_t Word(double v) {
    return uint16_t(std::clamp(v, 0.0, 65535.0));
}
}  // namespace

CPropertyPageIllumination::CPropertyPageIllumination() = default;

QColor CPropertyPageIllumination::CurveColour(int channel) {
    const uint32_t c = DimmingCurveColour(channel);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QStringList CPropertyPageIllumination::RowTexts(const CIlluminationRunPoint& p, int mode) {
    if (mode == CIlluminationRun::Switching) return {TimeText(p.time.start), TimeText(p.time.second)};
    return {TimeText(p.time.start), QString::number(p.time.second), QStringLiteral("%1%").arg(p.intensity)};
}

bool CPropertyPageIllumination::OptionsApply() const {
    return Controller().FirmwareVersion() >= 407;
}

void CPropertyPageIllumination::CreateControls() {
    PageTopic(601);
    m_chart = new CRunChartView(IdChart, this);

    auto* settings = new QFormLayout;
    settings->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    settings->addRow(Tr(16511), BindLineEdit(IdName, m_name, KeyName));
    settings->addRow(Tr(16504), BindCombo(IdMode, m_mode, KeyMode, {Tr(16505), Tr(16506)}));
    CEditSpin* percent = BindEditSpin(IdPercent, m_percent, KeyPercent, 1, 0, 100);
    percent->setMinimumWidth(80);
    settings->addRow(Tr(16507), percent);
    auto* hoursRow = new QHBoxLayout;
    hoursRow->addWidget(BindLabel(IdHours, [this] { return QLocale().toString(m_hours, 'f', 2); }));
    auto* reset = new QPushButton(Tr(16509), this);
    reset->setObjectName(QString::number(IdReset));
    auto* set = new QPushButton(Tr(16510), this);
    set->setObjectName(QString::number(IdSet));
    hoursRow->addWidget(reset);
    hoursRow->addWidget(set);
    hoursRow->addStretch(1);
    settings->addRow(Tr(16508), hoursRow);
    const auto showHours = [this] {
        UpdateData(true);
        if (const auto minutes = Read(HoursParameter())) {
            m_hours = COperatingHours::HoursOf(*minutes);
            ShowFields();
        }
    };
    connect(reset, &QPushButton::clicked, this, [this, showHours] { COperatingHours::Reset(*this, HoursParameter(), showHours); });
    connect(set, &QPushButton::clicked, this, [this, showHours] { COperatingHours::Set(*this, HoursParameter(), showHours); });

    auto* options = new QGroupBox(Tr(16523), this);
    auto* optionLayout = new QVBoxLayout(options);
    for (QCheckBox* c : BindBits({IdOption1, IdOption2, IdOption3, IdOption4}, m_options, KeyOptions,
                                 {Tr(16512), Tr(16513), Tr(16514), Tr(16515)}))
        optionLayout->addWidget(c);
    optionLayout->addStretch(1);

    auto* pointsBox = new CPointListBox(Tr(16516), Tr(16517), Tr(16518), Tr(16519), this);
    m_points = pointsBox;
    m_list = pointsBox->List();
    pointsBox->Manage(this, m_run.points, CIlluminationRun::kMaxPoints,
                      [this](CIlluminationRunPoint& point) { return EditRecord(point); }, {},
                      [this] { PointsEdited(); });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_chart, 0, 0, 1, 2);
    grid->addLayout(settings, 1, 0);
    grid->addWidget(options, 1, 1);
    grid->addWidget(pointsBox, 2, 0, 1, 2);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(2, 2);
    grid->setColumnStretch(0, 1);
    RebuildList();
}

bool CPropertyPageIllumination::ReadValues() {
    const int k = InstanceIndex();
    const QStringList& names = DescriptionNames(CDescriptionLists::Illumination);
    m_name = k < names.size() ? names[k] : QString();
    const int b = Block();
    if (OptionsApply()) {
        const auto options = Read(b);
        if (!options) return false;
        m_options = SaturatingCast<uint32_t>(*options);
    }
    const auto count = Read(b + 1);
    if (!count) return false;
    // The count comes from the device: more than eight would read into the percentage, the
    // mode and the next channel's block.
    const bool truncated = *count > CIlluminationRun::kMaxPoints;
    const int n = int(std::min<double>(*count, CIlluminationRun::kMaxPoints));
    m_run.points.clear();
    for (int i = 0; i < n; ++i) {
        const int p = b + 2 + 3 * i;
        const auto start = Read(p);
        if (!start) return false;
        const auto intensity = Read(p + 2);
        if (!intensity) return false;
        const auto second = Read(p + 1);
        if (!second) return false;
        m_run.points.push_back({{Word(*start), Word(*second)}, uint8_t(std::clamp(*intensity, 0.0, 255.0))});
    }
    const auto mode = Read(b + 27);
    if (!mode) return false;
    m_mode = *mode >= 0 && *mode <= 1 ? int(*mode) : -1;
    const auto percent = Read(b + 26);
    if (!percent) return false;
    m_percent = *percent;
    const auto minutes = Read(HoursParameter());
    if (!minutes) return false;
    m_hours = COperatingHours::HoursOf(*minutes);
    m_points->ShowNote(truncated ? TrArg(16520, {QString::number(int64_t(*count))}) : QString());
    RebuildList();
    return true;
}

bool CPropertyPageIllumination::WriteValues() {
    const int k = InstanceIndex();
    QStringList& names = DescriptionNames(CDescriptionLists::Illumination);
    if (k < names.size()) names[k] = m_name;
    if (IsChanged(KeyPoints)) {  // as on leaving the page
        if (const int message = m_run.Validate(Mode())) {
            CMessageService::ShowMessage(message, CMessageService::Icon::Stop, CMessageService::Buttons::Ok, {},
                                         this);
            return false;
        }
    }
    const int b = Block();
    const auto write = [this](int number, double value) { return WriteParam(number, value) == 0; };
    if (Controller().FirmwareVersion() > 406 && IsChanged(KeyOptions) && !write(b, m_options)) return false;
    if (IsChanged(KeyPoints)) {
        if (!write(b + 1, m_run.Count())) return false;
        for (int i = 0; i < m_run.Count(); ++i) {
            const CIlluminationRunPoint& p = m_run.points[i];
            const int n = b + 2 + 3 * i;
            if (!write(n + 2, p.intensity) || !write(n + 1, p.time.second) || !write(n, p.time.start))
                return false;
        }
    }
    if (IsChanged(KeyPercent) && !write(b + 26, int(m_percent))) return false;
    if (IsChanged(KeyMode) && m_mode >= 0 && !write(b + 27, m_mode)) return false;
    return true;
}

bool CPropertyPageIllumination::OnKillActive() {
    if (IsModified()) {
        UpdateData(true);
        // Only a run the user changed is checked: a stored one is the controller's business,
        // and a new name or percentage must not be blocked by it.
        if (const int message = IsChanged(KeyPoints) ? m_run.Validate(Mode()) : 0) {
            CMessageService::ShowMessage(message, CMessageService::Icon::Stop, CMessageService::Buttons::Ok, {},
                                         this);
            return false;
        }
    }
    return CMyPropertyPage::OnKillActive();
}

void CPropertyPageIllumination::OnValueEdited(int key) {
    if (key != KeyMode) return;
    // A new mode gives the old points another meaning: the run starts empty, on the
    // controller too (the emptied run goes out with the mode).
    m_run.points.clear();
    SetChanged(KeyPoints);
    RebuildList();
}

void CPropertyPageIllumination::RebuildList() {
    if (!m_list) return;
    if (Mode() == CIlluminationRun::Switching)
        m_list->SetColumns({Tr(165), Tr(259), Tr(262)}, {70, 100, 100});
    else
        m_list->SetColumns({Tr(165), Tr(259), Tr(260), Tr(261)}, {70, 100, 100, 100});
    std::vector<QStringList> rows;
    for (const CIlluminationRunPoint& p : m_run.points) rows.push_back(RowTexts(p, Mode()));
    m_list->SetRows(rows);
    m_chart->SetRunsHidden(Controller().IsSimulation());
    m_chart->SetCurves({{&m_run, Mode(), CurveColour(InstanceIndex())}});
}

void CPropertyPageIllumination::PointsEdited() {
    MarkModified(true);
    SetChanged(KeyPoints);
    RebuildList();
    RefreshControlStates();
}

bool CPropertyPageIllumination::EditRecord(CIlluminationRunPoint& point) {
    if (Mode() == CIlluminationRun::Switching) {
        CEditSwitchingPoint dialog(point.time, 0, this);
        if (dialog.exec() != QDialog::Accepted) return false;
        point.time = dialog.Record();
        return true;
    }
    CEditDimmingPoint dialog(point, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    point = dialog.Record();
    return true;
}

void CPropertyPageIllumination::UpdateControlStates() {
    for (int id : {int(IdOption1), int(IdOption2), int(IdOption3), int(IdOption4)})
        if (QWidget* w = Control(id)) w->setEnabled(OptionsApply());
    if (!m_list) return;
    m_points->UpdateButtons(m_run.IsFull());
}
