// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sensors/CPropertyPageSensorOverview.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "params/CControllerView.h"
#include "base/CSensor.h"
#include "lang/CLanguage.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageSensorOverview);

namespace {
// Temperature types show in the input's own unit; the others in their raw unit.
int ModeFor(const CSensor& s) {
    return s.type == 1 || s.type == 8 ? s.displayMode : 0;
}
}  // namespace

CPropertyPageSensorOverview::CPropertyPageSensorOverview() {
}

void CPropertyPageSensorOverview::CreateControls() {
    PageTopic(609);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QString::number(IdList));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setHeaderLabels({Tr(336), Tr(104), Tr(105)});
    for (int c = 0; c < 3; ++c) m_list->setColumnWidth(c, 120);
    m_list->setStyleSheet(QStringLiteral("QTreeView::item { border: 1px solid #d0d0d0; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
}

bool CPropertyPageSensorOverview::OnSetActive() {
    EnsureInitialised();
    m_list->clear();
    for (int input = 0; input < 8; ++input) {
        CSensor& s = SensorInput(input);
        if (s.type == 0) continue;
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, s.title);
        if (s.ReadSetpoint())
            item->setText(2, s.FormatSetpoint(ModeFor(s)) + s.UnitText(ModeFor(s)));
    }
    m_input = 0;
    m_row = 0;
    return CMyPropertyPage::OnSetActive();
}

void CPropertyPageSensorOverview::OnRefreshTick() {
    CSensor& s = SensorInput(m_input);
    if (s.type != 0) {
        if (QTreeWidgetItem* item = m_list->topLevelItem(m_row); item && s.ReadValue())
            item->setText(1, s.FormatCurrentValue(s.displayMode, s.densityCorrection) +
                                 s.UnitText(s.displayMode));
        ++m_row;
    }
    if (++m_input >= 8) {
        m_input = 0;
        m_row = 0;
    }
}
