// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/interfaces/CPropertyPageDigitalInput.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "params/CControllerView.h"
#include "lang/CLanguage.h"
#include "pages/interfaces/CEditDigitalInput.h"
#include "params/CDescriptionLists.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CRecordList.h"

KORVALIS_REGISTER_PAGE(CPropertyPageDigitalInput);

CPropertyPageDigitalInput::CPropertyPageDigitalInput() = default;

void CPropertyPageDigitalInput::CreateControls() {
    PageTopic(608);
    static const int captions[3] = {StringId(465), StringId(467), StringId(291)};
    QStringList headers;
    for (int id : captions) headers << Tr(id);
    m_list = new CRecordList(IdList, headers, {110, 160, 130}, this);
    m_list->SetRowCount(kInputs);
    for (int i = 0; i < kInputs; ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        // The box shows the input's state; only the controller changes it.
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, Qt::UserRole, i);
        m_list->SetText(i, 0, QString::number(i + 1));
    }
    m_list->FitRows(kInputs);
    auto* edit = new QPushButton(Tr(48601), this);
    edit->setObjectName(QString::number(IdEdit));
    m_list->SetEditButton(edit);
    connect(m_list, &CRecordList::editRequested, this, [this](int row) { EditInput(row); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(edit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    layout->addStretch(1);
}

bool CPropertyPageDigitalInput::ReadValues() {
    const QStringList& names = DescriptionNames(CDescriptionLists::DigitalInput);
    for (int i = 0; i < kInputs; ++i) {
        const std::optional<double> v = Read(FunctionParameter(i));
        if (!v) return false;
        CDigitalInputPara& in = m_inputs[static_cast<size_t>(i)];
        in.function = static_cast<uint8_t>(static_cast<int64_t>(std::trunc(*v)) & 0xFF);
        in.name = names.value(i);
    }
    return true;
}

bool CPropertyPageDigitalInput::WriteValues() {
    QStringList& names = DescriptionNames(CDescriptionLists::DigitalInput);
    for (int i = 0; i < kInputs; ++i) {
        if (!IsChanged(FunctionParameter(i))) continue;
        const CDigitalInputPara& in = m_inputs[static_cast<size_t>(i)];
        if (WriteParam(FunctionParameter(i), in.function) != 0) return false;
        // The list reaches its file at the disconnect; it holds all four inputs then.
        while (names.size() < kInputs) names << QString();
        names[i] = in.name;
    }
    return true;
}

void CPropertyPageDigitalInput::DoDataExchange(bool saveAndValidate) {
    if (!saveAndValidate) FillList();
}

void CPropertyPageDigitalInput::FillList() {
    if (!m_list) return;
    for (int i = 0; i < kInputs; ++i) {
        const CDigitalInputPara& in = m_inputs[static_cast<size_t>(i)];
        m_list->SetText(i, 1, CEditDigitalInput::FunctionText(in.function));
        m_list->SetText(i, 2, in.name);
    }
}

void CPropertyPageDigitalInput::ShowStates() {
    if (!m_list) return;
    for (int i = 0; i < kInputs; ++i)
        if (QTreeWidgetItem* item = m_list->topLevelItem(i))
            item->setCheckState(0, (m_states >> i) & 1u ? Qt::Checked : Qt::Unchecked);
}

void CPropertyPageDigitalInput::OnRefreshTick() {
    if (!Controller().IsConnected()) return;
    const std::optional<double> v = Read(kStates);
    if (!v) return;
    m_states = static_cast<uint32_t>(static_cast<int64_t>(std::trunc(*v))) & 0x0Fu;
    ShowStates();
}

bool CPropertyPageDigitalInput::EditInput(int i) {
    if (i < 0 || i >= kInputs) return false;
    QPointer<CPropertyPageDigitalInput> self(this);
    QPointer<CEditDigitalInput> dialog = new CEditDigitalInput(m_inputs[static_cast<size_t>(i)], i, this);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (!self || !dialog) return false;
    if (ok) {
        m_inputs[static_cast<size_t>(i)] = dialog->Record();
        MarkModified(true);
        SetChanged(FunctionParameter(i));
        FillList();
        RefreshControlStates();
    }
    delete dialog;
    return ok;
}
