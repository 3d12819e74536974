// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/interfaces/CEditOneToTenVInt.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "ui/page/CMyPropertyPage.h"
#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CUpdate.h"

namespace {
using Para = COneToTenVInterfacePara;

// The item the source byte selects (Para::kSensorData + input for a sensor input).
int SelectedData(uint8_t source) {
    if (!Para::HasIndex(source)) return source;
    const int code = Para::Code(source);
    return code == Para::SensorInput ? Para::kSensorData + Para::Index(source) : code;
}

int IndexCount(int code) {
    switch (code) {
    case Para::Illumination: return 8;
    case Para::Pump:
    case Para::VariableIllumination: return 4;
    default: return 0;
    }
}
}  // namespace

CEditOneToTenVInt::CEditOneToTenVInt(QWidget* parent, const COneToTenVInterfacePara& record, int index)
    : CFieldDialog(23154, parent), m_rec(record), m_index(Para::Index(record.source)) {
    setWindowTitle(Tr(253) + QLatin1Char(' ') + QString::number(index + 1));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    m_source = new QComboBox(this);
    m_source->setObjectName(QString::number(IdSource));
    m_source->setMinimumWidth(220);
    m_indexBox = new QComboBox(this);
    m_indexBox->setObjectName(QString::number(IdIndex));
    m_indexBox->setMinimumWidth(220);
    form->addRow(Tr(45401), m_source);
    m_indexLabel = new QLabel(Tr(45402), this);
    form->addRow(m_indexLabel, m_indexBox);
    // Millivolts as the controller keeps them: three decimals, spin steps of 0.1 V.
    m_lower = BindEditSpin(IdLower, m_rec.lowerVoltage, 1000, Para::kLowerMin, Para::kLowerMax);
    m_upper = BindEditSpin(IdUpper, m_rec.upperVoltage, 1000, Para::kUpperMin, Para::kUpperMax);
    for (CEditSpin* e : {m_lower, m_upper}) {
        e->setSingleStep(0.1);
        e->setMinimumWidth(90);
    }
    KeepReadVoltage(m_lower, m_lowerTouched, m_rec.lowerVoltage, Para::kLowerMin, Para::kLowerMax);
    KeepReadVoltage(m_upper, m_upperTouched, m_rec.upperVoltage, Para::kUpperMin, Para::kUpperMax);
    form->addRow(Tr(45403), m_lower);
    form->addRow(Tr(45404), m_upper);
    QLineEdit* name = BindLineEdit(IdName, m_rec.name);
    name->setMinimumWidth(220);
    form->addRow(Tr(45405), name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(layout);

    FillSources();
    connect(m_source, &QComboBox::currentIndexChanged, this, [this] {
        if (m_filling) return;
        m_index = 0;
        FillIndex();
    });
}

void CEditOneToTenVInt::KeepReadVoltage(CEditSpin* edit, bool& touched, double value, double minimum,
                                        double maximum) {
    const auto touch = [&touched] { touched = true; };
    connect(edit, &CEditSpin::textTyped, this, touch);
    connect(edit, &CEditSpin::valueEdited, this, touch);
    if (value >= minimum && value <= maximum) return;
    // Wide enough to show the value read; the field's own range holds again once the user
    // has edited it and leaves it.
    edit->setRange(std::min(value, minimum), std::max(value, maximum));
    connect(edit, &QAbstractSpinBox::editingFinished, this, [edit, &touched, minimum, maximum] {
        if (touched) edit->SetOwnRange(minimum, maximum);
    });
}

void CEditOneToTenVInt::FillSources() {
    CUpdate update(m_filling);
    const CControllerView& app = CMyPropertyPage::Controller();
    m_source->clear();
    for (const auto& [stringId, data] : {std::pair{StringId(258), int(Para::Illumination)},
                                         std::pair{StringId(366), int(Para::Pump)},
                                         std::pair{StringId(462), int(Para::VariableIllumination)},
                                         std::pair{StringId(368), int(Para::Single)}})
        m_source->addItem(Tr(stringId), data);
    for (int i = 0; i < 8; ++i)
        if (app.Sensors()[static_cast<size_t>(i)].type != 0)
            m_source->addItem(app.Sensors()[static_cast<size_t>(i)].title, Para::kSensorData + i);
    // A byte that names no offered source: no choice, and OK keeps the byte.
    m_source->setPlaceholderText(TrArg(45406, {QString::number(m_rec.source)}));
    m_source->setCurrentIndex(m_source->findData(SelectedData(m_rec.source)));
    FillIndex();
}

void CEditOneToTenVInt::FillIndex() {
    CUpdate update(m_filling);
    m_indexBox->clear();
    const int data = m_source->currentIndex() >= 0 ? m_source->currentData().toInt() : -1;
    if (data >= Para::kSensorData) {
        m_indexBox->addItem(Tr(254), int(Para::SensorInput));
        m_indexBox->setCurrentIndex(0);
    } else {
        const int count = IndexCount(data);
        for (int n = 0; n < count; ++n) m_indexBox->addItem(QString::number(n + 1), n);
        // An index beyond the list, as read, stays until the user picks another.
        if (count > 0 && m_index >= count && Para::HasIndex(m_rec.source) && Para::Code(m_rec.source) == data)
            m_indexBox->addItem(QString::number(m_index + 1), m_index);
        const int select = m_indexBox->findData(m_index);
        m_indexBox->setCurrentIndex(select >= 0 ? select : 0);
    }
    const bool visible = m_indexBox->count() > 0;
    m_indexBox->setVisible(visible);
    m_indexLabel->setVisible(visible);
}

bool CEditOneToTenVInt::Validate() {
    if (m_lowerTouched) m_rec.lowerVoltage = std::clamp(m_rec.lowerVoltage, Para::kLowerMin, Para::kLowerMax);
    if (m_upperTouched) m_rec.upperVoltage = std::clamp(m_rec.upperVoltage, Para::kUpperMin, Para::kUpperMax);
    if (m_source->currentIndex() < 0) return true;
    const int data = m_source->currentData().toInt();
    if (data >= Para::kSensorData)
        m_rec.source = Para::Compose(Para::SensorInput, data - Para::kSensorData);
    else if (data == Para::Single)
        m_rec.source = Para::Single;
    else
        m_rec.source = Para::Compose(data, m_indexBox->currentData().toInt());
    return true;
}
