// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CPropertyPageProgLogic.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "params/CControllerView.h"
#include "app/CSwitchFunction.h"
#include "lang/CLanguage.h"
#include "pages/outputs/CEditProgLogic.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CPageTable.h"
#include "ui/page/CRecordList.h"

KORVALIS_REGISTER_PAGE(CPropertyPageProgLogic);

namespace {
const QString kNamesFile = QStringLiteral("ProgLogicDescriptions.dat");
const QString kNone = QStringLiteral("---");

QString InputText(uint8_t input, bool marker) {
    return SwitchFunctionText(input & 0x1F, input >> 5, marker);
}
}  // namespace

CPropertyPageProgLogic::CPropertyPageProgLogic() = default;

QStringList CPropertyPageProgLogic::RowTexts(const CProgLogicPara& r) {
    const int logic = r.Logic();
    // A function above 11 comes from a controller this program does not know: its number.
    const QString name = logic < CEditProgLogic::kFunctions ? Tr(424 + logic) : QString::number(logic);
    const bool time = CProgLogicPara::IsTimeFunction(logic);
    return {name, InputText(r.input1, r.Marker1()),
            CProgLogicPara::HasSecondInput(logic) ? InputText(r.input2, r.Marker2()) : kNone,
            time ? QString::number(r.time) + QLatin1Char('s') : kNone};
}

void CPropertyPageProgLogic::DeclareFields() {
    PageTopic(105);
}

void CPropertyPageProgLogic::CreateControls() {
    const QString input = Tr(437);
    m_list = new CRecordList(IdList, {Tr(436), Tr(243), CPageTable::NumberedCaption(input, 1),
                                      CPageTable::NumberedCaption(input, 2), Tr(138), Tr(291)},
                             {70, 160, 180, 180, 80, 130}, this);
    auto* edit = new QPushButton(Tr(36204), this);
    edit->setObjectName(QString::number(IdEdit));
    m_list->SetEditButton(edit);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(edit);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_list, &CRecordList::editRequested, this, &CPropertyPageProgLogic::EditFunction);
}

bool CPropertyPageProgLogic::ReadValues() {
    const QStringList names = LoadNames(kNamesFile, kFunctions);
    const auto raw = [this] { return static_cast<uint32_t>(static_cast<int64_t>(std::trunc(LastValue()))); };
    for (int k = 0; k < kFunctions; ++k) {
        CProgLogicPara& r = m_records[k];
        if (ReadParam(InputsParameter(k)) != 0) return false;
        r.input1 = static_cast<uint8_t>(raw() & 0xFF);
        r.input2 = static_cast<uint8_t>((raw() >> 8) & 0xFF);
        if (ReadParam(InputsParameter(k) + 1) != 0) return false;
        r.function = static_cast<uint8_t>(raw() & 0xFF);
        if (ReadParam(InputsParameter(k) + 2) != 0) return false;
        r.time = static_cast<uint16_t>(raw() & 0xFFFF);
        r.name = names.value(k);
    }
    FillList();
    return true;
}

bool CPropertyPageProgLogic::WriteValues() {
    // The names live only on this computer; they are kept even when a write below fails.
    QStringList names;
    for (const CProgLogicPara& r : m_records) names << r.name;
    SaveNames(kNamesFile, names);
    for (int k = 0; k < kFunctions; ++k) {
        const int n = InputsParameter(k);
        if (!IsChanged(n)) continue;
        const CProgLogicPara& r = m_records[k];
        if (WriteParam(n, r.input1 | (r.input2 << 8)) != 0 || WriteParam(n + 1, r.function) != 0 ||
            WriteParam(n + 2, r.time) != 0)
            return false;
    }
    return true;
}

void CPropertyPageProgLogic::FillList() {
    if (!m_list) return;
    m_list->SetRowCount(kFunctions);
    for (int k = 0; k < kFunctions; ++k) {
        const QStringList texts = QStringList{QStringLiteral("G%1").arg(k + 1)} + RowTexts(m_records[k]);
        for (int c = 0; c < texts.size(); ++c) m_list->SetText(k, c, texts[c]);
        m_list->SetText(k, 5, m_records[k].name);
    }
}

void CPropertyPageProgLogic::EditFunction(int k) {
    if (k < 0 || k >= kFunctions) return;
    QPointer<CPropertyPageProgLogic> self(this);
    QPointer<CEditProgLogic> dialog = new CEditProgLogic(this, m_records[k]);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (!self || !dialog) return;
    const CProgLogicPara result = dialog->Record();
    delete dialog;
    if (!ok) return;
    m_records[k] = result;
    MarkModified(true);
    SetChanged(InputsParameter(k));
    FillList();
}
