// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/effects/CPropertyPageTempDepLightRed.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "params/CControllerView.h"
#include "base/CSensor.h"
#include "base/SensorTypeInfo.h"
#include "lang/CLanguage.h"
#include "pages/sensors/CTempEditSpin.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageTempDepLightRed);

namespace {
constexpr int kA = 756, kB = 757, kInput = 758, kC = 759;

bool IsTemperature(int type) {
    return type == SensorTypeInfo::Temperature || type == SensorTypeInfo::AirTemperature;
}
}  // namespace

CPropertyPageTempDepLightRed::CPropertyPageTempDepLightRed() = default;

void CPropertyPageTempDepLightRed::DeclareFields() {
    for (int i = 0; i < 8; ++i)
        Check(755, IdFirstChannel + i, QString::number(i + 1)).Bits(i, 1);

    // Differences, so no offset in Fahrenheit; the spins step in tenths of a degree Celsius.
    const int ids[3] = {IdValueA, IdValueB, IdValueC};
    for (int v = 0; v < 3; ++v) {
        m_values[v] = new CTempEditSpin(ids[v], 10, false, this);
        m_values[v]->setMinimumWidth(90);
    }
    Real(kA, m_values[0]).Range(1, 9).Spin(1, 5);
    Real(kB, m_values[1]).Range(2, 10).Spin(2, 10);

    const CControllerView& app = Controller();
    QStringList titles;
    for (int i = 0; i < 8; ++i)
        if (IsTemperature(app.Sensors()[size_t(i)].type)) {
            m_inputs.push_back(i);
            titles << app.Sensors()[size_t(i)].title;
        }
    // The list holds input numbers: an input it does not offer shows no choice and is
    // written back as it came.
    Combo(kInput, IdInput, titles)
        .Codec(
            [this](uint32_t raw, int32_t) {
                const auto it = std::find(m_inputs.begin(), m_inputs.end(), int64_t(raw));
                return it == m_inputs.end() ? -1.0 : double(it - m_inputs.begin());
            },
            [this](double index, uint32_t raw) {
                const int i = int(index);
                return i >= 0 && i < int(m_inputs.size()) ? int64_t(m_inputs[size_t(i)]) : int64_t(raw);
            });
    Real(kC, m_values[2]).Range(1, 10).Spin(1, 10);

    ReadOrder({755, kA, kB, kInput, kC});
    PageTopic(58);
}

void CPropertyPageTempDepLightRed::CreateControls() {
    auto* channels = new QGroupBox(Tr(23161), this);
    auto* channelRow = new QHBoxLayout(channels);
    for (int i = 0; i < 8; ++i) channelRow->addWidget(Control(IdFirstChannel + i));
    channelRow->addStretch(1);

    auto* watch = new QGroupBox(Tr(23162), this);
    auto* grid = new QGridLayout(watch);
    grid->addWidget(new QLabel(Tr(23163), watch), 0, 0);
    grid->addWidget(Control(IdInput), 0, 1, 1, 2);
    const int labels[3] = {StringId(23164), StringId(23165), StringId(23166)};
    for (int v = 0; v < 3; ++v) {
        grid->addWidget(new QLabel(Tr(labels[v]), watch), 1 + v, 0);
        grid->addWidget(m_values[v], 1 + v, 1);
        auto* unit = new QLabel(watch);
        unit->setObjectName(QString::number(kUnitLabelIds[v]));
        grid->addWidget(unit, 1 + v, 2);
    }
    grid->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(channels);
    layout->addWidget(watch);
    layout->addStretch(1);
}

int CPropertyPageTempDepLightRed::ChosenInput() const {
    const CPageField* field = const_cast<CPropertyPageTempDepLightRed*>(this)->FieldOf(kInput);
    const int index = field ? field->Index() : -1;
    if (index >= 0 && index < int(m_inputs.size())) return m_inputs[size_t(index)];
    return int(LastRaw(kInput));
}

bool CPropertyPageTempDepLightRed::ShowsFahrenheit() const {
    const int input = ChosenInput();
    if (input < 0 || input >= 8) return false;
    const CSensor& s = Controller().Sensors()[size_t(input)];
    return IsTemperature(s.type) && s.displayMode == 1;
}

QString CPropertyPageTempDepLightRed::UnitText() const {
    const int input = ChosenInput();
    if (input >= 0 && input < 8 && IsTemperature(Controller().Sensors()[size_t(input)].type)) {
        const CSensor& s = Controller().Sensors()[size_t(input)];
        return s.UnitText(s.displayMode);
    }
    return CSensor::UnitText(SensorTypeInfo::Temperature, 0);
}

void CPropertyPageTempDepLightRed::UpdateControlStates() {
    // The unit follows the chosen input (and its display mode, which its own page may have
    // changed since).
    const bool fahrenheit = ShowsFahrenheit();
    for (CTempEditSpin* v : m_values)
        if (v) v->SetFahrenheit(fahrenheit);
    const QString unit = UnitText();
    for (int id : kUnitLabelIds)
        if (auto* label = findChild<QLabel*>(QString::number(id))) label->setText(unit);
}

void CPropertyPageTempDepLightRed::OnValueEdited(int key) {
    if (key == kA || key == kB || key == kC) ApplyLimits();
}

void CPropertyPageTempDepLightRed::ApplyLimits() {
    CPageField* a = FieldOf(kA);
    CPageField* b = FieldOf(kB);
    CPageField* c = FieldOf(kC);
    // In tenths, so 2.0 + 1 is exactly 3.0.
    const auto tenths = [](double v) { return std::round(v * 10); };
    const double oldA = tenths(a->Value()), oldB = tenths(b->Value()), oldC = tenths(c->Value());
    double newB = std::min(std::max(oldB, oldA + 10), 100.0);
    double newA = std::max(std::min(oldA, newB - 10), 10.0);
    double newC = std::clamp(oldC, 10.0, 100.0);
    bool moved = false;
    const auto set = [this, &moved](CPageField* f, double oldValue, double newValue) {
        if (newValue == oldValue) return;
        f->SetValue(newValue / 10);
        SetChanged(f->ChangeKey());
        moved = true;
    };
    set(a, oldA, newA);
    set(b, oldB, newB);
    set(c, oldC, newC);
    if (moved) ShowFields();
}
