// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sensors/CPropertyPageSensor.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "params/CControllerView.h"
#include "base/CSensor.h"
#include "app/FieldCodecs.h"
#include "base/SensorParameters.h"
#include "lang/CLanguage.h"
#include "pages/sensors/CAdjustTempDlg.h"
#include "pages/shared/COperatingHours.h"
#include "pages/sensors/CTempEditSpin.h"
#include "ui/page/CEditSpin.h"

namespace {
using RealSpec = CPropertyPageSensor::RealSpec;
using SensorSpec = CPropertyPageSensor::SensorSpec;

// Captions of the fields (catalogue strings).
enum : int {
    SSetpoint = 19501, SDiffA = 19502, SDiffB = 19503, SOffset = 19504, SInt23 = 19517,
    SValue26 = 19518, SValue950 = 19519, SDensity = 19520, SInt949 = 19521, SValue950Oxy = 19522,
};

// clang-format off
// Integers for which only the controller knows a range: anything a parameter can hold.
constexpr double kWhole = 4294967295.0;
constexpr auto No = RealSpec::NotDegrees;
constexpr auto Diff = RealSpec::DegreeDifference;
constexpr auto Abs = RealSpec::AbsoluteDegrees;
// k, control, factor, clamp, spin, signed, Fahrenheit conversion, caption
const std::vector<SensorSpec> kSpecs = {
    {1, 195,
     {15, 1064, 10, 15.0, 35.0, 0, 0, false, Abs, SSetpoint},
     {16, 1284, 100, 0.15, 2.00, 0, 0, false, Diff, SDiffA},
     {24, 1230, 10, 0.5, 5.0, 0, 0, false, Diff, SDiffB},
     {18, 1077, 10, -3.0, -0.1, 0, 0, true, Diff, SOffset}, -3.0, -0.1, 10,
     {{23, 1081, 1, 5, 30, 0, 0, false, No, SInt23},
      {26, 1231, 10, 0.0, 5.0, 0, 0, false, Diff, SValue26},
      {950, 1287, 10, 0.2, 10.0, 0, 0, false, Diff, SValue950}},
     true, true, {19532, 19533}, true, false, true,
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 22, 23, 10, 11, 12, 13, 1002, 26, 27, 28, 29, 948, 950, 951},
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 22, 23, 26, 27, 28, 29, 948, 951, 950}},
    {8, 23172,
     {15, 1064, 10, 0.0, 50.0, 0, 0, false, Abs, SSetpoint},
     {16, 1284, 10, 0.2, 3.0, 0, 0, false, Diff, SDiffA},
     {24, 1230, 10, 1.0, 15.0, 0, 0, false, Diff, SDiffB},
     {18, 1077, 10, -30.0, -0.5, 0, 0, true, Diff, SOffset}, -30.0, -0.5, 10,
     {{950, 1287, 10, 0.5, 15.0, 0, 0, false, Diff, SValue950}},
     true, false, {19532, 19533}, true, false, false,
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 10, 11, 12, 13, 1002, 27, 28, 29, 948, 950, 951},
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 27, 28, 29, 948, 951, 950}},
    {2, 196,
     {15, 1064, 100, 4.50, 9.50, 0, 0, false, No, SSetpoint},
     {16, 1284, 100, 0.10, 1.00, 0, 0, false, No, SDiffA},
     {24, 1230, 100, 0.50, 3.00, 0, 0, false, No, SDiffB},
     {18, 1077, 100, -1.00, 1.00, 0, 0, true, No, SOffset}, -1.00, 1.00, 100,
     {}, true, false, {}, false, false, false,
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 10, 11, 12, 13, 1002, 28, 29, 948, 951},
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 28, 29, 948, 951}},
    {10, 23183,
     {15, 1064, 100, 0.00, 10.00, 0, 0, false, No, SSetpoint},
     {16, 1284, 100, 0.05, 3.00, 0, 0, false, No, SDiffA},
     {24, 1230, 100, 0.10, 6.00, 0, 0, false, No, SDiffB},
     {18, 1077, 100, -3.00, 3.00, 0, 0, true, No, SOffset}, -1.00, 1.00, 100,
     {}, true, false, {}, false, false, false,
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 10, 11, 12, 13, 1002, 28, 29, 948, 951},
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 28, 29, 948, 951}},
    // After a setpoint edit the offset may reach 50.5, although typed it stops at 50.0.
    {7, 23173,
     {15, 1064, 10, 2.0, 98.0, 0, 0, true, No, SSetpoint},
     {16, 1284, 10, 0.2, 15.0, 0, 0, false, No, SDiffA},
     {24, 1230, 10, 1.0, 20.0, 0, 0, false, No, SDiffB},
     {18, 1077, 10, 1.0, 50.0, 0, 0, true, No, SOffset}, 1.0, 50.5, 1,
     {}, true, false, {}, false, false, false,
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 10, 11, 12, 13, 1002, 28, 29, 948, 951},
     {15, 21, 17, 18, 19, 20, 16, 14, 24, 28, 29, 948, 951}},
    {3, 205,
     {15, 1064, 1, -300, 600, 0, 0, true, No, SSetpoint},
     {16, 1284, 1, 10, 100, 0, 0, false, No, SDiffA},
     {24, 1230, 1, 40, 400, 0, 0, false, No, SDiffB},
     {}, 0, 0, 1,
     {}, false, false, {}, false, false, false,
     {15, 21, 16, 14, 24, 10, 11, 12, 13, 1002, 28, 29, 948, 951},
     {15, 21, 16, 14, 24, 28, 29, 948, 951}},
    {4, 211,
     {15, 1064, 1, 10, 1900, 0, 0, false, No, SSetpoint},
     {16, 1284, 1, 8, 200, 0, 0, false, No, SDiffA},
     {24, 1230, 1, 50, 500, 0, 0, false, No, SDiffB},
     {}, 0, 0, 1,
     {{23, 1367, 1, 0, kWhole, 0, 0, false, No, SInt23},
      {26, 1368, 10, 15.0, 35.0, 0, 0, false, No, SValue26}},
     false, false, {}, false, false, false,
     {15, 21, 16, 14, 24, 23, 10, 11, 12, 13, 1002, 26, 28, 29, 948, 951},
     {15, 21, 16, 14, 24, 23, 26, 28, 29, 948, 951}},
    {5, 210,
     {15, 1064, 10, 0.5, 99.0, 0, 0, false, No, SSetpoint},
     {16, 1284, 10, 0.3, 10.0, 0, 0, false, No, SDiffA},
     {24, 1230, 10, 2.5, 25.0, 0, 0, false, No, SDiffB},
     {}, 0, 0, 10,
     {{23, 1367, 1, 0, kWhole, 0, 0, false, No, SInt23},
      {26, 1231, 10, 15.0, 35.0, 0, 0, false, No, SValue26},
      {950, 1287, 10000, -0.005, 0.005, 0, 0, true, No, SDensity}},
     false, false, {19534, 19535, 19536}, false, true, false,
     {15, 21, 16, 14, 24, 23, 10, 11, 12, 13, 1002, 26, 27, 28, 29, 948, 951, 950},
     {15, 21, 16, 14, 24, 23, 26, 27, 28, 29, 948, 951, 950}},
    {9, 23162,
     {15, 1064, 10, 0.0, 130.0, 0, 0, false, No, SSetpoint},
     {16, 1284, 10, 2.0, 10.0, 0.3, 10.0, false, No, SDiffA},
     {24, 1230, 10, 2.0, 20.0, 2.5, 25.0, false, No, SDiffB},
     {}, 0, 0, 10,
     {{23, 1367, 1, 0, kWhole, 0, 0, false, No, SInt23},
      {949, 1375, 1, 0, kWhole, 0, 0, false, No, SInt949},
      {26, 1368, 10, 15.0, 35.0, 0, 0, false, No, SValue26},
      {950, 1371, 10, 0.0, 50.0, 0, 0, false, No, SValue950Oxy}},
     false, false, {19537, 19538}, false, false, false,
     {15, 21, 16, 14, 24, 23, 949, 10, 11, 12, 13, 1002, 26, 950, 27, 28, 29, 948, 951},
     {15, 21, 16, 14, 24, 23, 26, 949, 950, 27, 28, 29, 948, 951}},
};
// clang-format on

// Numbers shown as the edits show them: the program's decimal sign, no group separators.
QLocale Plain() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// Controls hidden while the sensor is not calibrated (the calibration values and captions).
const int kCalibrationControls[] = {1299, 1304, 1300, 1303, 1500, 1501, 1502, 1503,
                                    1505, 1506, 1507, 1558, 1559};
}  // namespace

const CPropertyPageSensor::SensorSpec* CPropertyPageSensor::SpecFor(int type) {
    for (const SensorSpec& s : kSpecs)
        if (s.type == type) return &s;
    return nullptr;
}

CPropertyPageSensor::CPropertyPageSensor(int type) : m_spec(SpecFor(type)) {
    Q_ASSERT(m_spec);
}

int CPropertyPageSensor::N(int k) const {
    return SensorParameters::Number(InstanceIndex(), k);
}

int CPropertyPageSensor::DisplayMode() const {
    if (m_spec->modes.empty()) return 0;
    const CPageField* f = const_cast<CPropertyPageSensor*>(this)->FieldOf(N(27));
    return f && f->Index() >= 0 ? f->Index() : 0;
}

QString CPropertyPageSensor::Unit() const {
    return CSensor::UnitText(m_spec->type, DisplayMode());
}

bool CPropertyPageSensor::IsCalibrated() const {
    // Bits 12..19 of the first raw calibration value mark an input not yet calibrated.
    return FieldCodecs::GetBits(LastRaw(N(12)), 12, 8) == 0;
}

void CPropertyPageSensor::DeclareFields() {
    const SensorSpec& s = *m_spec;
    const int fw = Controller().FirmwareVersion();
    auto real = [this, &s](const RealSpec& r) -> CPageField& {
        // Only temperatures and their differences follow the Fahrenheit display.
        CEditSpin* c = s.fahrenheit && r.degrees != RealSpec::NotDegrees
                           ? new CTempEditSpin(r.control, r.factor,
                                               r.degrees == RealSpec::AbsoluteDegrees, this)
                           : new CEditSpin(r.control, r.factor, r.minimum, r.maximum, this);
        c->setMinimumWidth(90);
        CPageField& f = Real(N(r.k), c).Range(r.minimum, r.maximum).Signed(r.isSigned);
        if (r.spinMaximum > r.spinMinimum) f.Spin(r.spinMinimum, r.spinMaximum);
        return f;
    };
    real(s.setpoint);
    real(s.differenceA);
    real(s.differenceB);
    if (s.offset.k) {
        // The control holds what a setpoint edit may leave, which can lie beyond what may be
        // typed (the offset's own edit clamps to its range, ClampOffset).
        real(s.offset).Range(std::min(s.offset.minimum, s.offsetAfterSetpointMin),
                             std::max(s.offset.maximum, s.offsetAfterSetpointMax));
        Time(N(19), IdWindowStart);
        Time(N(20), IdWindowEnd);
    }
    if (s.windowFlag) Check(N(17), IdWindowFlag, Tr(19507));
    // The direction the input controls: heating and cooling for temperatures, raising and
    // lowering for every other quantity (as the socket functions name them).
    const bool warm = s.type == 1 || s.type == 8;
    Combo(N(21), IdSelection21, warm ? QStringList{Tr(19542), Tr(19543), Tr(19544)}
                                     : QStringList{Tr(19556), Tr(19557), Tr(19558)});
    if (s.flag22) Check(N(22), IdFlag22, Tr(19516));
    for (const RealSpec& r : s.further) {
        CPageField& f = real(r);
        // The temperature page's 950 came with firmware 4.03.
        if (r.k == 950 && s.type == 1)
            EnableWhen({r.control}, [] { return Controller().FirmwareVersion() >= 403; });
        (void)f;
    }

    // 14: three-way selection in bits 0 and 2, flag in bit 1; the third way came with 4.02.
    QStringList threeWay{Tr(19539), Tr(19540)};
    if (fw >= 402) threeWay << Tr(19541);
    Combo(N(14), IdThreeWay, threeWay)
        .Codec([](uint32_t raw, int32_t) { return double(FieldCodecs::ThreeWayFromDevice(raw)); },
               [](double v, uint32_t raw) -> int64_t {
                   if (v < 0) return raw;  // no selection: the device's value stays
                   return (raw & ~7u) | FieldCodecs::ThreeWayToDevice(int(v), false);
               })
        .Bits(0, 32);  // the whole value, so the flag below lands on the encoded bits
    Check(N(14), IdFlagThreeWay, Tr(19509)).Bits(1, 1);

    // Alarm durations: one second up to an hour.
    for (int id : {int(IdDuration1), int(IdDuration2)}) {
        Duration(N(id == IdDuration1 ? 28 : 29), id).Range(1, 3600);
        auto* picker = ControlAs<QTimeEdit>(id);
        picker->setDisplayFormat(QStringLiteral("H:mm:ss"));
        picker->setTimeRange(QTime(0, 0, 1), QTime(1, 0, 0));
    }
    Combo(N(948), IdFiveWay, {Tr(237), Tr(238), Tr(239), Tr(240), Tr(400)}).Bits(0, 3);
    Check(N(948), IdFlagFiveWay, Tr(19511)).Bits(3, 1);
    Combo(N(951), IdSelection951, {Tr(19545), Tr(19546), Tr(19547)}).Offset(1);
    if (!s.modes.empty()) {
        std::vector<int> ids;
        QStringList texts;
        for (size_t m = 0; m < s.modes.size(); ++m) {
            ids.push_back(IdModeFirst + (m == 0 ? 0 : int(m) + 1));  // 1370, 1372, 1373
            texts << Tr(s.modes[m]);
        }
        Radio(N(27), ids, texts);
    }

    Label(N(1002), IdHours).Format([](double minutes) {
        return Plain().toString(COperatingHours::HoursOf(minutes), 'f', 2);
    });
    auto reference = [this](double v) {
        const double shown = m_spec->fahrenheit && DisplayMode() == 1 ? v * 1.8 + 32 : v;
        return Plain().toString(shown, 'g', 5);
    };
    Label(N(10), IdReference1, s.referenceFactor).Format(reference);
    Label(N(11), IdReference2, s.referenceFactor).Format(reference);
    Label(N(12), IdRaw1).Format([](double v) { return QString::number(qint64(v)); });
    Label(N(13), IdRaw2).Format([](double v) { return QString::number(qint64(v)); });

    std::vector<int> reads, writes;
    for (int k : s.readOrder) reads.push_back(N(k));
    for (int k : s.writeOrder) writes.push_back(N(k));
    ReadOrder(reads);
    WriteOrder(writes);
    SetReadCount(24);

    EnableWhen({IdFlagThreeWay, s.differenceB.control},
               [this] { return FieldAt(IdThreeWay)->Index() > 0; });
    EnableWhen({IdDuration1, IdDuration2}, [this] { return FieldAt(IdFiveWay)->Index() != 0; });
    EnableWhen({IdFlagFiveWay}, [] { return Controller().FirmwareVersion() >= 402; });

    PageTopic(45);
    HelpTopic(46, {1064, 1090});
    HelpTopic(55, {IdLive});
    HelpTopic(53, {1284, 1285});
    HelpTopic(51, {IdSelection21});
    HelpTopic(48, {IdWindowFlag, 1077, 1091, IdWindowStart, IdWindowEnd});
    HelpTopic(54, {IdFlagThreeWay, 1230, 1286});
    HelpTopic(52, {IdHours, IdHoursReset, IdHoursSet});
    HelpTopic(47, {IdFlag22, 1081});
    HelpTopic(56, {1370, 1372});
    HelpTopic(57, {1231, 1288});
}

void CPropertyPageSensor::CreateControls() {
    const SensorSpec& s = *m_spec;
    auto unitRow = [this](QFormLayout* form, int captionId, QWidget* field, bool withUnit,
                          int labelId = 0) {
        auto* row = new QHBoxLayout;
        row->addWidget(field);
        if (withUnit) {
            auto* unit = new QLabel(this);
            m_unitLabels.push_back(unit);
            row->addWidget(unit);
        }
        row->addStretch(1);
        auto* caption = new QLabel(Tr(captionId), this);
        if (labelId) caption->setObjectName(QString::number(labelId));
        form->addRow(caption, row);
    };
    auto newForm = [](QGroupBox* box) {
        auto* form = new QFormLayout(box);
        form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
        return form;
    };

    auto* control = new QGroupBox(Tr(19550), this);
    QFormLayout* cf = newForm(control);
    unitRow(cf, s.setpoint.captionId, Control(s.setpoint.control), true);
    unitRow(cf, s.differenceA.captionId, Control(s.differenceA.control), true);
    cf->addRow(Tr(19508), Control(IdThreeWay));
    cf->addRow(QString(), Control(IdFlagThreeWay));
    unitRow(cf, s.differenceB.captionId, Control(s.differenceB.control), true);
    cf->addRow(Tr(19514), Control(IdSelection21));
    cf->addRow(Tr(19515), Control(IdSelection951));
    if (s.flag22) cf->addRow(QString(), Control(IdFlag22));
    for (const RealSpec& r : s.further)
        unitRow(cf, r.captionId, Control(r.control),
                r.k == 26 ? s.fahrenheit : (r.k == 950 && s.fahrenheit));

    int comboWidth = 0;
    for (int id : {int(IdThreeWay), int(IdSelection21), int(IdSelection951)})
        comboWidth = std::max(comboWidth, Control(id)->sizeHint().width());
    for (int id : {int(IdThreeWay), int(IdSelection21), int(IdSelection951)})
        Control(id)->setMinimumWidth(comboWidth);

    auto* alarm = new QGroupBox(Tr(19551), this);
    QFormLayout* af = newForm(alarm);
    af->addRow(Tr(19510), Control(IdFiveWay));
    af->addRow(QString(), Control(IdFlagFiveWay));
    af->addRow(Tr(19512), Control(IdDuration1));
    af->addRow(Tr(19513), Control(IdDuration2));

    QGroupBox* window = nullptr;
    if (s.offset.k) {
        window = new QGroupBox(Tr(19552), this);
        QFormLayout* wf = newForm(window);
        if (s.windowFlag) wf->addRow(QString(), Control(IdWindowFlag));
        unitRow(wf, s.offset.captionId, Control(s.offset.control), true);
        wf->addRow(Tr(19505), Control(IdWindowStart));
        wf->addRow(Tr(19506), Control(IdWindowEnd));
    }

    auto* calibration = new QGroupBox(Tr(19553), this);
    auto* calLayout = new QVBoxLayout(calibration);
    // The values with their captions and units, hidden as a whole while not calibrated.
    m_calibrationValues = new QWidget(this);
    QFormLayout* kf = new QFormLayout(m_calibrationValues);
    kf->setContentsMargins(0, 0, 0, 0);
    kf->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    unitRow(kf, 19523, Control(IdReference1), true, 1500);
    unitRow(kf, 19525, Control(IdRaw1), false, 1501);
    unitRow(kf, 19524, Control(IdReference2), true, 1502);
    unitRow(kf, 19526, Control(IdRaw2), false, 1503);
    calLayout->addWidget(m_calibrationValues);
    m_notice = new QLabel(this);
    m_notice->setObjectName(QString::number(IdNotCalibrated));
    m_notice->setWordWrap(true);
    m_notice->hide();
    calLayout->addWidget(m_notice);
    if (s.adjustButton) {
        auto* adjust = new QPushButton(Tr(19531), this);
        adjust->setObjectName(QString::number(IdAdjust));
        connect(adjust, &QPushButton::clicked, this, [this] {
            CAdjustTempDlg dialog(this, InstanceIndex());
            if (dialog.exec() == QDialog::Accepted) ReadPage(true);
        });
        calLayout->addWidget(adjust, 0, Qt::AlignLeft);
    }

    auto* state = new QGroupBox(Tr(19554), this);
    QFormLayout* sf = newForm(state);
    m_live = new QLabel(QStringLiteral("-"), this);
    m_live->setObjectName(QString::number(IdLive));
    unitRow(sf, 19530, m_live, true);
    unitRow(sf, 19527, Control(IdHours), false);
    auto* buttons = new QHBoxLayout;
    auto* reset = new QPushButton(Tr(19528), this);
    reset->setObjectName(QString::number(IdHoursReset));
    auto* set = new QPushButton(Tr(19529), this);
    set->setObjectName(QString::number(IdHoursSet));
    const auto showHours = [this] {
        UpdateData(true);
        if (ReadField(N(1002))) ShowFields();
    };
    connect(reset, &QPushButton::clicked, this, [this, showHours] { COperatingHours::Reset(*this, N(1002), showHours); });
    connect(set, &QPushButton::clicked, this, [this, showHours] { COperatingHours::Set(*this, N(1002), showHours); });
    buttons->addWidget(reset);
    buttons->addWidget(set);
    buttons->addStretch(1);
    sf->addRow(QString(), buttons);
    if (!s.modes.empty()) {
        QBoxLayout* modes = s.modes.size() > 2 ? static_cast<QBoxLayout*>(new QVBoxLayout)
                                               : static_cast<QBoxLayout*>(new QHBoxLayout);
        for (size_t m = 0; m < s.modes.size(); ++m)
            modes->addWidget(Control(IdModeFirst + (m == 0 ? 0 : int(m) + 1)));
        modes->addStretch(1);
        sf->addRow(Tr(19555), modes);
    }

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(control, 0, 0, 2, 1);
    grid->addWidget(state, 0, 1);
    grid->addWidget(alarm, 1, 1);
    if (window) grid->addWidget(window, 2, 0);
    grid->addWidget(calibration, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    ApplyDisplayMode();
}

void CPropertyPageSensor::ApplyDisplayMode() {
    const bool f = m_spec->fahrenheit && DisplayMode() == 1;
    for (CEditSpin* spin : findChildren<CEditSpin*>())
        if (auto* t = qobject_cast<CTempEditSpin*>(spin)) t->SetFahrenheit(f);
    const QString unit = Unit();
    for (QLabel* l : m_unitLabels) l->setText(unit);
}

void CPropertyPageSensor::OnFieldsRead() {
    ApplyDisplayMode();
}

void CPropertyPageSensor::OnValueEdited(int key) {
    if (key == N(14)) {
        // Switching the selection off also clears its flag.
        CPageField* flag = FieldAt(IdFlagThreeWay);
        if (FieldAt(IdThreeWay)->Index() == 0 && flag->IsChecked()) {
            flag->SetValue(0);
            ShowFields();
        }
    } else if (m_spec->offset.k && key == N(m_spec->setpoint.k)) {
        ClampOffset(true);
    } else if (m_spec->offset.k && key == N(m_spec->offset.k)) {
        ClampOffset(false);
    } else if (!m_spec->modes.empty() && key == N(27)) {
        ApplyDisplayMode();
        ShowFields();
    }
}

void CPropertyPageSensor::ClampOffset(bool afterSetpoint) {
    // setpoint + offset stays within the setpoint's range; where those bounds cross (a
    // setpoint at its limit), the bounds of the edit that was made win.
    const RealSpec& o = m_spec->offset;
    const RealSpec& sp = m_spec->setpoint;
    CPageField* offset = FieldOf(N(o.k));
    const double setpoint = FieldOf(N(sp.k))->Value();
    double v = offset->Value();
    // An offset the controller holds outside the range that may be typed stays as it is
    // until the user edits it; only the setpoint's range still bounds the sum.
    const bool asRead = v < offset->Minimum() || v > offset->Maximum();
    const double lo = asRead ? std::min(v, o.minimum)
                      : afterSetpoint ? m_spec->offsetAfterSetpointMin : o.minimum;
    const double hi = asRead ? std::max(v, o.maximum)
                      : afterSetpoint ? m_spec->offsetAfterSetpointMax : o.maximum;
    v = std::max(v, std::max(lo, sp.minimum - setpoint));
    v = std::min(v, std::min(hi, sp.maximum - setpoint));
    v = std::min(std::max(v, lo), hi);
    if (v != offset->Value()) {
        offset->SetValue(v);
        SetChanged(offset->ChangeKey());
        ShowFields();
    }
}

bool CPropertyPageSensor::WriteValues() {
    // Other displays (overview, alert texts) follow the page's mode at once.
    if (CSensor* sensor = Sensor()) {
        if (!m_spec->modes.empty()) sensor->displayMode = uint8_t(DisplayMode());
        if (m_spec->densityCorrection) sensor->densityCorrection = FieldOf(N(950))->Value();
    }
    return CMyPropertyPage::WriteValues();
}

void CPropertyPageSensor::UpdateControlStates() {
    const bool calibrated = IsCalibrated();
    if (!calibrated) {
        for (int id : kCalibrationControls)
            if (QWidget* w = Control(id)) w->hide();
        if (QWidget* w = Control(IdAdjust)) w->hide();
        m_calibrationValues->hide();
        m_notice->setText(Tr(403));
        m_notice->show();
        m_notice->raise();
    }
}

void CPropertyPageSensor::ShowLiveValue() {
    CSensor* sensor = Sensor();
    if (!m_live || !sensor || !sensor->ReadValue()) return;
    const bool ownMode = m_spec->fahrenheit || m_spec->densityCorrection;
    const int mode = ownMode ? DisplayMode() : 0;
    const double extra = m_spec->densityCorrection ? FieldOf(N(950))->Value() : 0.0;
    // Five significant digits as the controller prints them, with the page's decimal sign.
    m_live->setText(sensor->FormatCurrentValue(mode, extra).replace(QLatin1Char('.'), QLocale().decimalPoint()));
}
