// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CEditDimmingPoint.h"

#include <QFormLayout>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/CLanguage.h"
#include "schedule/CIlluminationRun.h"
#include "ui/page/CEditSpin.h"

CEditDimmingPoint::CEditDimmingPoint(const CIlluminationRunPoint& point, QWidget* parent)
    : CFieldDialog(23156, parent) {
    setWindowTitle(Tr(16501));
    m_start = std::min<int>(point.time.start, 1439);
    m_ramp = std::clamp<int>(point.time.second, CIlluminationRun::kMinRamp, CIlluminationRun::kMaxRamp);
    m_intensity = std::min<int>(point.intensity, 100);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(Tr(259), BindTime(IdStart, m_start));
    form->addRow(Tr(16502), BindEditSpin(IdRamp, m_ramp, 1, CIlluminationRun::kMinRamp,
                                          CIlluminationRun::kMaxRamp));
    form->addRow(Tr(16503), BindEditSpin(IdIntensity, m_intensity, 1, 0, 100));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(layout);
}

CIlluminationRunPoint CEditDimmingPoint::Record() const {
    CIlluminationRunPoint p;
    p.time.start = uint16_t(m_start);
    p.time.second = uint16_t(std::clamp<int>(int(m_ramp), CIlluminationRun::kMinRamp, CIlluminationRun::kMaxRamp));
    p.intensity = uint8_t(std::clamp<int>(int(m_intensity), 0, 100));
    return p;
}
