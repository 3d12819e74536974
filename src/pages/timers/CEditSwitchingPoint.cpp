// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/timers/CEditSwitchingPoint.h"

#include <QFormLayout>
#include <QTimeEdit>
#include <QLabel>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/CLanguage.h"
#include "schedule/CTimer.h"
#include "ui/page/CEditSpin.h"

CEditSwitchingPoint::CEditSwitchingPoint(const CSwitchtime& point, int type, QWidget* parent)
    : CFieldDialog(23157, parent), m_type(type) {
    setWindowTitle(Tr(16601));
    m_start = std::min<int>(point.start, 1439);
    m_end = std::min<int>(point.second, 1439);
    // A pulse lasts 1..300 s: a stored 0 or a longer value opens at the nearest limit.
    m_duration = std::clamp<int>(point.second, CTimer::kMinPulse, CTimer::kMaxPulse);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(Tr(259), BindTime(IdStart, m_start));
    auto* caption = new QLabel(Tr(type == CTimer::Pulse ? 260 : 262), this);
    caption->setObjectName(QString::number(IdCaption));
    if (type == CTimer::OnOff) {
        form->addRow(caption, BindTime(IdEnd, m_end));
    } else if (type == CTimer::Pulse) {
        CEditSpin* spin = BindEditSpin(IdDuration, m_duration, 1, CTimer::kMinPulse, CTimer::kMaxPulse);
        spin->setSuffix(QStringLiteral(" s"));
        form->addRow(caption, spin);
    } else {
        caption->hide();
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(layout);
}

CSwitchtime CEditSwitchingPoint::Record() const {
    CSwitchtime p;
    p.start = uint16_t(m_start);
    if (m_type == CTimer::OnOff)
        p.second = uint16_t(m_end);
    else if (m_type == CTimer::Pulse)
        p.second = uint16_t(std::clamp<int>(int(m_duration), CTimer::kMinPulse, CTimer::kMaxPulse));
    else
        p.second = 0;
    return p;
}
