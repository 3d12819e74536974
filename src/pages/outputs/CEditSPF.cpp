// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/outputs/CEditSPF.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "params/CControllerView.h"
#include "ui/page/CMyPropertyPage.h"
#include "app/CSwitchFunction.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CUpdate.h"

namespace {
QString CodeName(int code) {
    const int id = CSwitchFunction::NameString(code);
    return id ? Tr(id) : QString::number(code);
}
}  // namespace

CEditSPF::CEditSPF(QWidget* parent, const CSPFPara& record, int socketIndex, int templateId)
    : CFieldDialog(templateId, parent),
      m_rec(record),
      m_socket(socketIndex),
      m_code(CSwitchFunction::Code(record.function)),
      m_index(CSwitchFunction::Index(record.function)),
      m_value(CSwitchFunction::Value(record.function)),
      m_marker(CSwitchFunction::Marker(record.function)) {
    const bool socket = m_socket != kLogicInput;
    setWindowTitle(socket ? Tr(249) + QLatin1Char(' ') + QString::number(m_socket + 1) : Tr(36231));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    m_function = new QComboBox(this);
    m_function->setObjectName(QString::number(IdFunction));
    m_function->setMinimumWidth(220);
    m_indexBox = new QComboBox(this);
    m_indexBox->setObjectName(QString::number(IdIndex));
    m_indexBox->setMinimumWidth(220);
    form->addRow(Tr(22201), m_function);
    m_indexLabel = new QLabel(Tr(22202), this);
    form->addRow(m_indexLabel, m_indexBox);
    if (socket) {
        CEditSpin* value = BindEditSpin(IdValue, m_value, 1, 0, CSwitchFunction::kMaxValue);
        value->setMinimumWidth(90);
        form->addRow(Tr(22203), value);
    }
    form->addRow(QString(), BindCheck(IdMarker, m_marker, Tr(22204)));
    if (socket) {
        QLineEdit* name = BindLineEdit(IdName, m_rec.name);
        name->setMinimumWidth(220);
        form->addRow(Tr(22205), name);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(layout);

    FillFunctions();
    connect(m_function, &QComboBox::currentIndexChanged, this, [this] {
        if (m_filling) return;
        m_index = 0;
        FillIndex();
    });
}

int CEditSPF::SelectedData() const {
    return CSwitchFunction::IsSensorCode(m_code) ? CSwitchFunction::kSensorData + m_index : m_code;
}

void CEditSPF::FillFunctions() {
    CUpdate update(m_filling);
    const CControllerView& app = CMyPropertyPage::Controller();
    const int product = app.Model() ? app.Model()->productCode : 0;
    m_function->clear();
    for (const CSwitchFunction::Item& item : CSwitchFunction::Offered(product, app.FirmwareVersion()))
        m_function->addItem(Tr(item.stringId), item.data);
    for (int i = 0; i < 8; ++i)
        if (app.Sensors()[i].type != 0)
            m_function->addItem(app.Sensors()[i].title, CSwitchFunction::kSensorData + i);
    int select = m_function->findData(SelectedData());
    if (select < 0) {
        // A stored function this controller's editor does not offer stays selectable, so OK
        // without a change keeps the word as it was.
        const QString text = CSwitchFunction::IsSensorCode(m_code)
                                 ? CSwitchFunction::Text(m_code, m_index, false, app.Sensors())
                                 : CodeName(m_code);
        m_function->addItem(text, SelectedData());
        select = m_function->count() - 1;
    }
    m_function->setCurrentIndex(select);
    FillIndex();
}

void CEditSPF::FillIndex() {
    CUpdate update(m_filling);
    const CControllerView& app = CMyPropertyPage::Controller();
    m_indexBox->clear();
    const int data = m_function->currentData().toInt();
    if (data >= CSwitchFunction::kSensorData) {
        const int input = data - CSwitchFunction::kSensorData;
        for (const CSwitchFunction::Item& c : CSwitchFunction::Conditions(app.Sensors()[input & 7].type))
            m_indexBox->addItem(Tr(c.stringId), c.data);
        const bool ownInput = CSwitchFunction::IsSensorCode(m_code) && input == m_index;
        int select = m_indexBox->findData(m_code);
        if (ownInput && select < 0) {
            m_indexBox->addItem(Tr(CSwitchFunction::NameString(m_code)), m_code);
            select = m_indexBox->count() - 1;
        }
        m_indexBox->setCurrentIndex(ownInput && select >= 0 ? select : 0);
        ShowIndexBox(true);
        return;
    }
    const int count = CSwitchFunction::IndexCount(data, app.Model());
    for (int n = 0; n < count; ++n) m_indexBox->addItem(QString::number(n + 1), n);
    // An index beyond the model's count, kept as read, until the user picks another.
    if (count > 0 && data == m_code && m_index >= count) m_indexBox->addItem(QString::number(m_index + 1), m_index);
    const int select = m_indexBox->findData(m_index);
    m_indexBox->setCurrentIndex(select >= 0 ? select : 0);
    ShowIndexBox(count > 0);
}

void CEditSPF::ShowIndexBox(bool visible) {
    m_indexBox->setVisible(visible);
    if (m_indexLabel) m_indexLabel->setVisible(visible);
}

bool CEditSPF::Validate() {
    const int data = m_function->currentData().toInt();
    int code = data;
    int index = 0;
    if (data >= CSwitchFunction::kSensorData) {
        index = data - CSwitchFunction::kSensorData;
        code = m_indexBox->currentData().toInt();
    } else if (data < 16 && m_indexBox->count() > 0) {
        index = m_indexBox->currentData().toInt();
    }
    const int value = m_socket == kLogicInput ? CSwitchFunction::Value(m_rec.function) : static_cast<int>(m_value);
    m_rec.function = CSwitchFunction::Compose(m_rec.function, code, index, value, m_marker);
    return true;
}
