// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CPropertyPageSimulation.h"

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

#include "lang/CLanguage.h"
#include "pages/outputs/CLevelPicture.h"
#include "pages/outputs/CRealEditSpin.h"
#include "ui/sheet/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageSimulation);

CPropertyPageSimulation::CPropertyPageSimulation() = default;

bool CPropertyPageSimulation::InitHelpTopics() {
    m_pageHelpTopic = 88;
    for (int id : {1005, 1006, 1007, 1008, 1172, 1173, 1174, 1175}) m_helpTopics.insert(id, 91);
    for (int id : {1188, 1189, 1191, 1192}) m_helpTopics.insert(id, 92);
    for (int id : {1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021, 1176})
        m_helpTopics.insert(id, 93);
    return true;
}

void CPropertyPageSimulation::CreateControls() {
    // A real value with its limits; the change key is the parameter number.
    auto realEdit = [this](int id, double& field, int key, double factor, double lo, double hi) {
        CEditSpin* c = BindEditSpin(new CRealEditSpin(id, factor, lo, hi, this), field, key);
        c->setMinimumWidth(90);
        return c;
    };

    auto* settings = new QGroupBox(Tr(14501), this);
    auto* form = new QFormLayout(settings);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    CEditSpin* a = realEdit(IdValueA, m_valueA, 490, 1, 0, 100);
    CEditSpin* d = realEdit(IdValueD, m_valueD, 493, 1, 10, 90);
    CEditSpin* b = realEdit(IdValueB, m_valueB, 491, 10, 1, 10);
    CEditSpin* c = realEdit(IdValueC, m_valueC, 492, 10, 10, 100);
    CEditSpin* e = BindEditSpin(IdValueE, m_valueE, 714, 1, 0, 100);
    e->setMinimumWidth(90);
    form->addRow(Tr(14502), a);
    form->addRow(Tr(14503), d);
    form->addRow(Tr(14504), b);
    form->addRow(Tr(14505), c);
    form->addRow(Tr(14506), e);

    auto* active = new QGroupBox(Tr(14507), this);
    auto* activeLayout = new QVBoxLayout(active);
    auto* times = new QFormLayout;
    times->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    times->addRow(Tr(14508), BindTime(IdTime1, m_time1, 496));
    times->addRow(Tr(14509), BindTime(IdTime2, m_time2, 497));
    activeLayout->addLayout(times);
    auto* days = new QGridLayout;
    days->setHorizontalSpacing(12);
    for (int k = 0; k < 7; ++k) {
        // Day names 14511 (Monday) .. 14517 (Sunday).
        static const int dayText[7] = {StringId(14511), StringId(14512), StringId(14513),
                                       StringId(14514), StringId(14515), StringId(14516),
                                       StringId(14517)};
        QCheckBox* box = BindCheck(IdFirstSwitch + k, m_switches[k], 712, Tr(dayText[k]));
        days->addWidget(box, k / 4, k % 4);
    }
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

void CPropertyPageSimulation::DoDataExchange(bool saveAndValidate) {
    if (!saveAndValidate) return;
    // Bit 7 is not the user's: it goes out as 0.
    uint8_t byte = 0;
    for (int k = 0; k < 7; ++k)
        if (m_switches[k]) byte |= static_cast<uint8_t>(1u << k);
    m_switchByte = byte;
}

void CPropertyPageSimulation::ShowLevel() {
    // The level comes unchecked from the device: the bar and the picture show it limited
    // to what they can show.
    const int shown = std::clamp(m_level, 0, 100);
    if (m_levelBar) m_levelBar->setValue(shown);
    if (m_picture) m_picture->SetPhase(CLevelPicture::PhaseForLevel(shown));
}

bool CPropertyPageSimulation::ReadValues() {
    if (!ReadValue(490, m_valueA) || !ReadValue(491, m_valueB, 10) ||
        !ReadValue(492, m_valueC, 10) || !ReadValue(493, m_valueD) || !ReadValue(496, m_time1) ||
        !ReadValue(497, m_time2))
        return false;
    if (ReadParam(498) != 0) return false;
    m_level = static_cast<int>(std::clamp(std::trunc(LastValue()), -2147483648.0, 2147483647.0));
    ShowLevel();
    if (ReadParam(712) != 0) return false;
    m_switchByte = static_cast<uint8_t>(static_cast<int64_t>(std::llround(LastValue())) & 0xFF);
    for (int k = 0; k < 7; ++k) m_switches[k] = (m_switchByte >> k) & 1;
    if (!ReadValue(714, m_valueE)) return false;
    m_valueE = std::trunc(m_valueE);
    return true;
}

bool CPropertyPageSimulation::WriteValues() {
    return WriteIfChanged(492, 492, m_valueC, 10) && WriteIfChanged(493, 493, m_valueD) &&
           WriteIfChanged(491, 491, m_valueB, 10) && WriteIfChanged(490, 490, m_valueA) &&
           WriteIfChanged(496, 496, m_time1) && WriteIfChanged(497, 497, m_time2) &&
           WriteIfChanged(712, 712, m_switchByte) && WriteIfChanged(714, 714, m_valueE);
}
