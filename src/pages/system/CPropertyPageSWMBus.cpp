// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/CPropertyPageSWMBus.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "params/CControllerView.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "link/CSWMBus.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageSWMBus);

CPropertyPageSWMBus::CPropertyPageSWMBus() {
    const CControllerView& app = Controller();
    m_address = app.IsConnected() ? static_cast<uint8_t>(app.DeviceAddress()) : 0;
}

QString CPropertyPageSWMBus::FormatValue(double value) {
    QLocale l;
    l.setNumberOptions(l.numberOptions() | QLocale::OmitGroupSeparator);
    return l.toString(value, 'g', 15);
}

void CPropertyPageSWMBus::CreateControls() {
    PageTopic(610);
    auto* box = new QGroupBox(Tr(19401), this);
    auto* form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

    m_addressEdit = new QSpinBox(box);
    m_addressEdit->setObjectName(QString::number(IdAddress));
    m_addressEdit->setRange(0, 255);
    m_addressEdit->setMinimumWidth(90);
    form->addRow(Tr(19402), m_addressEdit);

    m_numberEdit = new QSpinBox(box);
    m_numberEdit->setObjectName(QString::number(IdNumber));
    m_numberEdit->setRange(-32768, 32767);
    m_numberEdit->setMinimumWidth(90);
    form->addRow(Tr(19403), m_numberEdit);

    m_valueEdit = new QLineEdit(box);
    m_valueEdit->setObjectName(QString::number(IdValue));
    m_valueEdit->setAlignment(Qt::AlignRight);
    m_valueEdit->setMinimumWidth(160);
    form->addRow(Tr(19404), m_valueEdit);

    m_signedBox = new QCheckBox(Tr(19405), box);
    m_signedBox->setObjectName(QString::number(IdSigned));
    form->addRow(QString(), m_signedBox);

    auto* buttons = new QHBoxLayout;
    auto* read = new QPushButton(Tr(19406), box);
    read->setObjectName(QString::number(IdRead));
    auto* write = new QPushButton(Tr(19407), box);
    write->setObjectName(QString::number(IdWrite));
    buttons->addWidget(read);
    buttons->addWidget(write);
    buttons->addStretch(1);
    form->addRow(QString(), buttons);

    m_repeatBox = new QCheckBox(Tr(19408), box);
    m_repeatBox->setObjectName(QString::number(IdRepeat));
    form->addRow(QString(), m_repeatBox);

    auto* note = new QLabel(Tr(19409), this);
    note->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    layout->addWidget(note);
    layout->addStretch(1);

    connect(read, &QPushButton::clicked, this, &CPropertyPageSWMBus::ReadOnce);
    connect(write, &QPushButton::clicked, this, &CPropertyPageSWMBus::WriteOnce);
    // The repeat flag follows the box.
    connect(m_repeatBox, &QCheckBox::toggled, this, [this] { UpdateData(true); });
}

void CPropertyPageSWMBus::DoDataExchange(bool saveAndValidate) {
    if (!m_numberEdit) return;
    if (saveAndValidate) {
        m_numberEdit->interpretText();
        m_addressEdit->interpretText();
        m_number = static_cast<int16_t>(m_numberEdit->value());
        m_address = static_cast<uint8_t>(m_addressEdit->value());
        bool ok = false;
        const QString text = m_valueEdit->text().trimmed();
        double v = QLocale().toDouble(text, &ok);
        if (!ok) v = text.toDouble(&ok);
        // Unreadable text: the field keeps its value and shows it again.
        if (ok && std::isfinite(v))
            m_value = v;
        else
            m_valueEdit->setText(FormatValue(m_value));
        m_signed = m_signedBox->isChecked();
        m_repeat = m_repeatBox->isChecked();
    } else {
        m_numberEdit->setValue(m_number);
        m_addressEdit->setValue(m_address);
        m_valueEdit->setText(FormatValue(m_value));
        m_signedBox->setChecked(m_signed);
        const QSignalBlocker block(m_repeatBox);
        m_repeatBox->setChecked(m_repeat);
    }
}

void CPropertyPageSWMBus::ReadOnce() {
    UpdateData(true);
    CSWMBus* bus = Bus();
    if (!bus) return;
    CTimerStop timerStop;
    // A refused address leaves the engine at the one it had.
    bus->SetDeviceAddress(m_address);
    if (bus->Read(m_number) != 0) return;
    m_value = m_signed ? bus->GetSignedValue() : bus->GetUnsignedValue();
    // Only the value: the other fields may be in the middle of an edit.
    if (m_valueEdit) m_valueEdit->setText(FormatValue(m_value));
}

void CPropertyPageSWMBus::WriteOnce() {
    UpdateData(true);
    CSWMBus* bus = Bus();
    if (!bus) return;
    CTimerStop timerStop;
    bus->SetDeviceAddress(m_address);
    bus->WriteValue(m_number, m_value);
}

void CPropertyPageSWMBus::OnRefreshTick() {
    if (m_repeat) ReadOnce();
}

bool CPropertyPageSWMBus::OnKillActive() {
    if (IsInitialised()) {
        UpdateData(true);
        m_repeat = false;
        UpdateData(false);
    }
    return CMyPropertyPage::OnKillActive();
}
