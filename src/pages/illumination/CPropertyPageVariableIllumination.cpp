// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CPropertyPageVariableIllumination.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageVariableIllumination);

CPropertyPageVariableIllumination::CPropertyPageVariableIllumination() = default;

void CPropertyPageVariableIllumination::CreateControls() {
    PageTopic(602);
    QStringList items;
    for (int v = 0; v < 16; ++v) items << TrArg(16802, {QString::number(v)});
    auto* box = new QGroupBox(Tr(16803), this);
    auto* grid = new QGridLayout(box);
    for (int d = 0; d < kColumns; ++d)
        grid->addWidget(new QLabel(QString::number(d + 1), box), 0, d + 1, Qt::AlignCenter);
    for (int r = 0; r < kRows; ++r) {
        grid->addWidget(new QLabel(TrArg(16801, {QString::number(r + 1)}), box), r + 1, 0);
        for (int d = 0; d < kColumns; ++d) {
            const int i = r * kColumns + d;
            // The row's low word is the change key: a row is written as a whole.
            QComboBox* c = BindCombo(IdFirstBox + i, m_selection[i], LowWord(r), items);
            grid->addWidget(c, r + 1, d + 1);
        }
    }
    grid->setColumnStretch(kColumns + 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    layout->addStretch(1);
}

bool CPropertyPageVariableIllumination::ReadValues() {
    for (int r = 0; r < kRows; ++r) {
        const auto low = Read(LowWord(r));
        if (!low) return false;
        const auto high = Read(LowWord(r) + 1);
        if (!high) return false;
        const uint32_t value = ((uint32_t(*low) & 0xFFFF) | (uint32_t(*high) << 16)) & 0x0FFFFFFF;
        for (int d = 0; d < kColumns; ++d) m_selection[r * kColumns + d] = int((value >> (4 * d)) & 0xF);
    }
    return true;
}

bool CPropertyPageVariableIllumination::WriteValues() {
    for (int r = 0; r < kRows; ++r) {
        if (!IsChanged(LowWord(r))) continue;
        uint32_t value = 0;
        for (int d = 0; d < kColumns; ++d) value |= uint32_t(m_selection[r * kColumns + d] & 0xF) << (4 * d);
        if (WriteParam(LowWord(r), value & 0xFFFF) != 0) return false;
        if (WriteParam(LowWord(r) + 1, value >> 16) != 0) return false;
    }
    return true;
}
