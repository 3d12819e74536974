// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/interfaces/CEditDigitalInput.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "lang/CLanguage.h"

const std::array<CEditDigitalInput::Function, 5>& CEditDigitalInput::Functions() {
    static const std::array<Function, 5> functions = {{
        {2, StringId(408)},
        {18, StringId(393)},
        {34, StringId(470)},
        {50, StringId(144)},
        {0, StringId(368)},
    }};
    return functions;
}

QString CEditDigitalInput::FunctionText(int value) {
    for (const Function& f : Functions())
        if (f.value == value) return Tr(f.stringId);
    return {};
}

CEditDigitalInput::CEditDigitalInput(const CDigitalInputPara& record, int input, QWidget* parent)
    : CFieldDialog(23187, parent), m_rec(record) {
    setWindowTitle(TrArg(48701, {QString::number(input + 1)}));
    QStringList items;
    for (const Function& f : Functions()) {
        items << Tr(f.stringId);
        if (f.value == m_rec.function) m_choice = static_cast<int>(items.size()) - 1;
    }
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    QComboBox* function = BindCombo(IdFunction, m_choice, items);
    function->setMinimumWidth(220);
    // A byte the list does not know is shown, but not as a choice.
    function->setPlaceholderText(TrArg(48704, {QString::number(m_rec.function)}));
    form->addRow(Tr(48702), function);
    QLineEdit* name = BindLineEdit(IdName, m_rec.name);
    name->setMinimumWidth(220);
    form->addRow(Tr(48703), name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(layout);
}

bool CEditDigitalInput::Validate() {
    if (m_choice >= 0 && m_choice < static_cast<int>(Functions().size()))
        m_rec.function = static_cast<uint8_t>(Functions()[static_cast<size_t>(m_choice)].value);
    return true;
}
