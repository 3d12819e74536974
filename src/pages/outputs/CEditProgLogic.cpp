// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CEditProgLogic.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CSwitchFunction.h"
#include "lang/CLanguage.h"
#include "pages/outputs/CEditSPF.h"
#include "ui/page/CPageTable.h"
#include "ui/page/CUpdate.h"

namespace {
constexpr int kNames[CEditProgLogic::kFunctions] = {
    StringId(424), StringId(425), StringId(426), StringId(427), StringId(428), StringId(429),
    StringId(430), StringId(431), StringId(432), StringId(433), StringId(434), StringId(435)};

QString InputText(uint8_t input, bool marker) {
    return SwitchFunctionText(input & 0x1F, input >> 5, marker);
}

QWidget* Named(QWidget* w, int id) {
    w->setObjectName(QString::number(id));
    return w;
}
}  // namespace

int CEditProgLogic::ParseTime(const QString& text) {
    const QString t = text.trimmed();
    int end = 0;
    while (end < t.size() && t[end].isDigit() && end < 9) ++end;
    const int value = end ? t.left(end).toInt() : 0;
    return std::clamp(value, CProgLogicPara::kMinTime, CProgLogicPara::kMaxTime);
}

CEditProgLogic::CEditProgLogic(QWidget* parent, const CProgLogicPara& record)
    : CFieldDialog(23175, parent), m_rec(record) {
    setWindowTitle(Tr(36221));
    m_function = new QComboBox(this);
    Named(m_function, IdFunction);
    for (int id : kNames) m_function->addItem(Tr(id));
    // A function this program has no name for shows no selection and stays as it is.
    m_function->setCurrentIndex(m_rec.Logic() < kFunctions ? m_rec.Logic() : -1);

    m_input1 = new QLineEdit(this);
    Named(m_input1, IdInput1);
    m_input1->setReadOnly(true);
    m_input1->setMinimumWidth(240);
    auto* choose1 = new QPushButton(Tr(36222), this);
    Named(choose1, IdChoose1);
    m_operand2 = new QLineEdit(this);
    Named(m_operand2, IdOperand2);
    m_choose2 = new QPushButton(Tr(36222), this);
    Named(m_choose2, IdChoose2);
    m_label1 = new QLabel(this);
    Named(m_label1, IdLabel1);
    m_label2 = new QLabel(this);
    Named(m_label2, IdLabel2);
    m_seconds = new QLabel(QStringLiteral("s"), this);
    Named(m_seconds, IdSeconds);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Tr(36223), this), 0, 0);
    grid->addWidget(m_function, 0, 1, 1, 2);
    grid->addWidget(m_label1, 1, 0);
    grid->addWidget(m_input1, 1, 1);
    grid->addWidget(choose1, 1, 2);
    grid->addWidget(m_label2, 2, 0);
    auto* operand = new QHBoxLayout;
    operand->addWidget(m_operand2, 1);
    operand->addWidget(m_seconds);
    grid->addLayout(operand, 2, 1);
    grid->addWidget(m_choose2, 2, 2);
    grid->addWidget(new QLabel(Tr(36224), this), 3, 0);
    grid->addWidget(BindLineEdit(IdName, m_rec.name), 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    AddOkCancel(layout);

    connect(m_function, &QComboBox::currentIndexChanged, this, [this] { ShowOperands(); });
    connect(choose1, &QPushButton::clicked, this, [this] { ChooseInput(1); });
    connect(m_choose2, &QPushButton::clicked, this, [this] { ChooseInput(2); });
    ShowOperands();
}

int CEditProgLogic::SelectedLogic() const {
    const int i = m_function->currentIndex();
    return i >= 0 ? i : m_rec.Logic();
}

void CEditProgLogic::ShowOperands() {
    const int logic = SelectedLogic();
    const bool time = CProgLogicPara::IsTimeFunction(logic);
    m_input1->setText(InputText(m_rec.input1, m_rec.Marker1()));
    m_operand2->setText(time ? QString::number(m_rec.time) : InputText(m_rec.input2, m_rec.Marker2()));
    m_seconds->setVisible(time);
    m_choose2->setVisible(CProgLogicPara::HasSecondInput(logic));
    m_operand2->setVisible(logic != 4);
    m_operand2->setEnabled(time);
    const QString input = Tr(437);
    if (time) {
        m_label1->setText(input);
        m_label2->setText(Tr(138));
    } else if (logic == 4) {
        m_label1->setText(input);
        m_label2->clear();
    } else if (logic == 11) {
        m_label1->setText(Tr(438));
        m_label2->setText(Tr(439));
    } else {
        m_label1->setText(CPageTable::NumberedCaption(input, 1));
        m_label2->setText(CPageTable::NumberedCaption(input, 2));
    }
}

void CEditProgLogic::ChooseInput(int which) {
    const uint8_t input = which == 1 ? m_rec.input1 : m_rec.input2;
    const bool marker = which == 1 ? m_rec.Marker1() : m_rec.Marker2();
    CSPFPara word;
    word.function = static_cast<uint16_t>(input | (marker ? 0x8000 : 0));
    QPointer<CEditProgLogic> self(this);
    QPointer<CEditSPF> dialog = new CEditSPF(this, word, CEditSPF::kLogicInput, 23176);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (!self || !dialog) return;
    const uint16_t result = dialog->Record().function;
    delete dialog;
    if (!ok) return;
    const uint8_t bit = which == 1 ? 0x40 : 0x80;
    (which == 1 ? m_rec.input1 : m_rec.input2) = static_cast<uint8_t>(result & 0xFF);
    m_rec.function = static_cast<uint8_t>((m_rec.function & ~bit) | (CSwitchFunction::Marker(result) ? bit : 0));
    // The time typed so far survives a change of input.
    if (CProgLogicPara::IsTimeFunction(SelectedLogic())) m_rec.time = static_cast<uint16_t>(ParseTime(m_operand2->text()));
    ShowOperands();
}

bool CEditProgLogic::Validate() {
    const int logic = SelectedLogic();
    if (m_function->currentIndex() >= 0)
        m_rec.function = static_cast<uint8_t>((m_rec.function & 0xC0) | (logic & 0x3F));
    if (CProgLogicPara::IsTimeFunction(logic)) m_rec.time = static_cast<uint16_t>(ParseTime(m_operand2->text()));
    return true;
}
