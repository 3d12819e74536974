// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CPropertyPageDimmCurves.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "params/CControllerView.h"
#include "lang/CLanguage.h"
#include "pages/illumination/CPropertyPageIllumination.h"
#include "pages/illumination/CRunChartView.h"
#include "params/CDescriptionLists.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CUpdate.h"
#include "ui/page/PageConversions.h"
#include "ui/page/CPageHost.h"

KORVALIS_REGISTER_PAGE(CPropertyPageDimmCurves);

CPropertyPageDimmCurves::CPropertyPageDimmCurves() = default;

void CPropertyPageDimmCurves::CreateControls() {
    PageTopic(603);
    m_chart = new CRunChartView(IdChart, this);
    m_chart->setMinimumHeight(240);

    auto* curves = new QGroupBox(Tr(16701), this);
    auto* curveGrid = new QGridLayout(curves);
    const QStringList& names = DescriptionNames(CDescriptionLists::Illumination);
    for (int i = 0; i < 8; ++i) {
        const QString name = i < names.size() && !names[i].isEmpty() ? names[i] : TrArg(16702, {QString::number(i + 1)});
        m_show[i] = new QCheckBox(name, curves);
        m_show[i]->setObjectName(QString::number(IdFirstShow + i));
        m_colour[i] = new QPushButton(curves);
        m_colour[i]->setObjectName(QString::number(kColourIds[i]));
        m_colour[i]->setFixedSize(36, 18);
        m_colour[i]->setToolTip(TrArg(16706, {QString::number(i + 1)}));
        auto* cell = new QHBoxLayout;
        cell->addWidget(m_colour[i]);
        cell->addWidget(m_show[i], 1);
        curveGrid->addLayout(cell, i % 4, i / 4);
        connect(m_show[i], &QCheckBox::clicked, this, [this] {
            uint8_t mask = 0;
            for (int c = 0; c < 8; ++c)
                if (m_show[c]->isChecked()) mask |= uint8_t(1u << c);
            SetCurveViewState(mask);
            ShowCurves();
        });
        connect(m_colour[i], &QPushButton::clicked, this, [this, i] { ChooseColour(i); });
    }

    auto* simulation = new QGroupBox(Tr(16703), this);
    auto* simLayout = new QVBoxLayout(simulation);
    m_simulation = new QCheckBox(Tr(16704), simulation);
    m_simulation->setObjectName(QString::number(IdSimulation));
    m_slider = new QSlider(Qt::Horizontal, simulation);
    m_slider->setObjectName(QString::number(IdSlider));
    m_slider->setRange(0, 1439);
    m_slider->setPageStep(60);
    m_slider->setTickInterval(60);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_time = new QLabel(QStringLiteral("00:00"), simulation);
    m_time->setObjectName(QString::number(IdTime));
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(new QLabel(Tr(16705), simulation));
    timeRow->addWidget(m_time);
    timeRow->addStretch(1);
    simLayout->addWidget(m_simulation);
    simLayout->addWidget(m_slider);
    simLayout->addLayout(timeRow);
    simLayout->addStretch(1);
    connect(m_simulation, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_updating) SetSimulation(on);
    });
    connect(m_slider, &QSlider::sliderReleased, this, [this] { SendMinute(); });
    // Keys and clicks beside the handle move the slider without a release.
    connect(m_slider, &QSlider::valueChanged, this, [this] {
        if (!m_slider->isSliderDown()) SendMinute();
    });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_chart, 0, 0, 1, 2);
    grid->addWidget(curves, 1, 0);
    grid->addWidget(simulation, 1, 1);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
}

void CPropertyPageDimmCurves::OnBeforeActivate() {
    m_pages.clear();
    if (!Host()) return;
    for (CMyPropertyPage* p : Host()->CollectPages(QStringLiteral("CPropertyPageIllumination"), 8))
        if (auto* page = qobject_cast<CPropertyPageIllumination*>(p)) m_pages.append(page);
}

bool CPropertyPageDimmCurves::OnSetActive() {
    const bool ok = CMyPropertyPage::OnSetActive();
    if (!ok) return ok;
    m_updating = true;
    for (int i = 0; i < 8; ++i) m_show[i]->setChecked(CurveViewState() & (1u << i));
    m_updating = false;
    ShowCurves();
    RefreshControlStates();
    return ok;
}

void CPropertyPageDimmCurves::ShowCurves() {
    std::vector<CRunChartView::Curve> curves;
    for (int i = 0; i < int(m_pages.size()) && i < 8; ++i) {
        CPropertyPageIllumination* page = m_pages[i];
        if (!page || !m_show[i]->isChecked()) continue;
        curves.push_back({&page->Run(), page->Mode(), CPropertyPageIllumination::CurveColour(i)});
    }
    for (int i = 0; i < 8; ++i)
        m_colour[i]->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #404040;")
                                       .arg(CPropertyPageIllumination::CurveColour(i).name()));
    m_chart->SetRunsHidden(Controller().IsSimulation());
    m_chart->SetCurves(std::move(curves));
    m_chart->SetMarker(m_simulating ? m_slider->value() : -1);
}

void CPropertyPageDimmCurves::ChooseColour(int curve) {
    const QColor chosen = QColorDialog::getColor(CPropertyPageIllumination::CurveColour(curve), this,
                                                 TrArg(16706, {QString::number(curve + 1)}));
    if (!chosen.isValid()) return;
    SetDimmingCurveColour(curve, uint32_t(chosen.red()) | uint32_t(chosen.green()) << 8 |
                                           uint32_t(chosen.blue()) << 16);
    ShowCurves();
}

void CPropertyPageDimmCurves::SetSimulation(bool on) {
    if (WriteParam(kModeParameter, on ? kSimulationMode : 0) != 0) {
        // The controller did not take it: the box shows what the controller does.
        m_updating = true;
        m_simulation->setChecked(!on);
        m_updating = false;
        return;
    }
    m_simulating = on;
    if (on) SendMinute();
    ShowCurves();
    RefreshControlStates();
}

void CPropertyPageDimmCurves::SendMinute() {
    const int minute = m_slider->value();
    m_time->setText(MinutesToTime(minute).toString(QStringLiteral("HH:mm")));
    if (!m_simulating) return;
    WriteParam(kMinuteParameter, minute);
    m_chart->SetMarker(minute);
}

void CPropertyPageDimmCurves::SwitchSimulationOff() {
    if (!m_simulating) return;
    m_simulating = false;
    WriteParam(kModeParameter, 0, true);
    m_updating = true;
    if (m_simulation) m_simulation->setChecked(false);
    m_updating = false;
    if (m_chart) m_chart->SetMarker(-1);
    RefreshControlStates();
}

bool CPropertyPageDimmCurves::OnKillActive() {
    SwitchSimulationOff();
    return CMyPropertyPage::OnKillActive();
}

void CPropertyPageDimmCurves::OnRemoving() {
    SwitchSimulationOff();
}

void CPropertyPageDimmCurves::UpdateControlStates() {
    if (m_slider) m_slider->setEnabled(m_simulating);
}
