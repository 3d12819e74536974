// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CPropertyPageSimulation.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/SaturatingCast.h"
#include "lang/CLanguage.h"
#include "pages/illumination/CLevelPicture.h"
#include "pages/illumination/CRealEditSpin.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageSimulation);

CPropertyPageSimulation::CPropertyPageSimulation() = default;

void CPropertyPageSimulation::DeclareFields() {
    auto real = [this](int number, int id, double factor, double lo, double hi) -> CPageField& {
        auto* c = new CRealEditSpin(id, factor, lo, hi, this);
        c->setMinimumWidth(90);
        return Real(number, c);
    };
    real(490, IdValueA, 1, 0, 100);
    real(491, IdValueB, 10, 1, 10);
    real(492, IdValueC, 10, 10, 100);
    real(493, IdValueD, 1, 10, 90);
    Time(496, IdTime1);
    Time(497, IdTime2);
    Hidden(498).ReadOnly();  // the current level, shown as bar and picture
    // Day switches: bits 0..6; bit 7 is not the user's and goes out as 0.
    static const int dayText[7] = {StringId(14511), StringId(14512), StringId(14513),
                                   StringId(14514), StringId(14515), StringId(14516),
                                   StringId(14517)};
    for (int k = 0; k < 7; ++k) Check(712, IdFirstSwitch + k, Tr(dayText[k])).Bits(k, 1);
    KeepBits(712, 0);
    Real(714, IdValueE).Range(0, 100);
    Control(IdValueE)->setMinimumWidth(90);

    ReadOrder({490, 491, 492, 493, 496, 497, 498, 712, 714});
    WriteOrder({492, 493, 491, 490, 496, 497, 712, 714});
    SetReadCount(11);

    PageTopic(88);
    HelpTopic(91, {1005, 1006, 1007, 1008, 1172, 1173, 1174, 1175});
    HelpTopic(92, {1188, 1189, 1191, 1192});
    HelpTopic(93, {1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021, 1176});
}

void CPropertyPageSimulation::CreateControls() {
    auto* settings = new QGroupBox(Tr(14501), this);
    auto* form = new QFormLayout(settings);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(Tr(14502), Control(IdValueA));
    form->addRow(Tr(14503), Control(IdValueD));
    form->addRow(Tr(14504), Control(IdValueB));
    form->addRow(Tr(14505), Control(IdValueC));
    form->addRow(Tr(14506), Control(IdValueE));

    auto* active = new QGroupBox(Tr(14507), this);
    auto* activeLayout = new QVBoxLayout(active);
    auto* times = new QFormLayout;
    times->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    times->addRow(Tr(14508), Control(IdTime1));
    times->addRow(Tr(14509), Control(IdTime2));
    activeLayout->addLayout(times);
    auto* days = new QGridLayout;
    days->setHorizontalSpacing(12);
    for (int k = 0; k < 7; ++k) days->addWidget(Control(IdFirstSwitch + k), k / 4, k % 4);
    activeLayout->addLayout(days);
    activeLayout->addStretch(1);

    auto* levelBox = new QGroupBox(Tr(14518), this);
    auto* levelLayout = new QHBoxLayout(levelBox);
    m_picture = new CLevelPicture(IdPicture, levelBox);
    levelLayout->addWidget(m_picture);
    auto* barColumn = new QVBoxLayout;
    m_levelBar = new QProgressBar(levelBox);
    m_levelBar->setObjectName(QString::number(IdLevelBar));
    m_levelBar->setRange(0, 100);
    m_levelBar->setValue(0);
    m_levelBar->setTextVisible(true);
    m_levelBar->setFormat(QStringLiteral("%p %"));
    m_levelText = new QLabel(Tr(14519), levelBox);
    m_levelText->setWordWrap(true);
    barColumn->addStretch(1);
    barColumn->addWidget(m_levelBar);
    barColumn->addWidget(m_levelText);
    barColumn->addStretch(1);
    levelLayout->addLayout(barColumn, 1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(settings, 0, 0);
    grid->addWidget(active, 0, 1);
    grid->addWidget(levelBox, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
}

int CPropertyPageSimulation::Level() const {
    const CPageField* level = const_cast<CPropertyPageSimulation*>(this)->FieldOf(498);
    return SaturatingCast<int>(level->Value());
}

void CPropertyPageSimulation::ShowLevel() {
    // The level comes unchecked from the device: the bar and the picture show it limited
    // to what they can show.
    const int shown = std::clamp(Level(), 0, 100);
    if (m_levelBar) m_levelBar->setValue(shown);
    if (m_picture) m_picture->SetPhase(CLevelPicture::PhaseForLevel(shown));
}

void CPropertyPageSimulation::OnFieldRead(int number) {
    if (number == 498) ShowLevel();
}
