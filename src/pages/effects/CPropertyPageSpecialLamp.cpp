// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/effects/CPropertyPageSpecialLamp.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "pages/effects/CFlashIntensity.h"
#include "ui/page/CPageRegistry.h"
#include "ui/services/CMessageService.h"

KORVALIS_REGISTER_PAGE(CPropertyPageSpecialLamp);

CPropertyPageSpecialLamp::CPropertyPageSpecialLamp() = default;

int CPropertyPageSpecialLamp::LampCount() const {
    return Controller().Model() ? std::max(1, int(Controller().Model()->illuminationChannels)) : 1;
}

void CPropertyPageSpecialLamp::DeclareFields() {
    PageTopic(604);
    Check(kOn, IdOn, Tr(23182));
    // Channel numbers from 1 on the page, from 0 on the controller.
    const auto fromDevice = [](uint32_t raw, int32_t) { return double(raw) + 1; };
    const auto toDevice = [](double number, uint32_t) { return int64_t(number) - 1; };
    const int count = LampCount();
    Real(kLampB, IdLampB).Range(1, count).Codec(fromDevice, toDevice).SetValue(2);
    Real(kLampA, IdLampA).Range(1, count).Codec(fromDevice, toDevice).SetValue(1);
    Control(IdLampB)->setMinimumWidth(80);
    Control(IdLampA)->setMinimumWidth(80);
    EnableWhen({IdLampB, IdLampA}, [this] { return FieldOf(kOn)->IsChecked(); });
    SetReadCount(3);
}

void CPropertyPageSpecialLamp::CreateControls() {
    auto* box = new QGroupBox(Tr(23181), this);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(Control(IdOn));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(Tr(23183), Control(IdLampA));
    form->addRow(Tr(23184), Control(IdLampB));
    boxLayout->addLayout(form);

    m_flash = new QPushButton(Tr(23185), box);
    m_flash->setObjectName(QString::number(IdFlash));
    m_command = new QPushButton(Tr(23186), box);
    m_command->setObjectName(QString::number(IdCommand));
    connect(m_flash, &QPushButton::clicked, this, &CPropertyPageSpecialLamp::Flash);
    connect(m_command, &QPushButton::clicked, this, &CPropertyPageSpecialLamp::SendCommand);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_flash);
    buttons->addWidget(m_command);
    buttons->addStretch(1);
    boxLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    layout->addStretch(1);
}

void CPropertyPageSpecialLamp::UpdateControlStates() {
    // The commands act on what the controller has: not while the switch is still unsent.
    const CPageField* option = FieldOf(kOn);
    const bool on = option && option->IsChecked() && !IsChanged(kOn);
    if (m_flash) m_flash->setEnabled(on);
    if (m_command) m_command->setEnabled(on);
}

void CPropertyPageSpecialLamp::Flash() {
    QPointer<CPropertyPageSpecialLamp> self(this);
    QPointer<CFlashIntensity> dialog = new CFlashIntensity(this);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (!self || !dialog) return;
    const int intensity = dialog->Intensity();
    delete dialog;
    if (!ok) return;
    if (WriteParam(kFlashCommand, intensity) == 0)
        CMessageService::ShowMessage(372, CMessageService::Icon::Information, CMessageService::Buttons::Ok, {}, this);
}

void CPropertyPageSpecialLamp::SendCommand() {
    if (WriteParam(kCommand, 0) == 0)
        CMessageService::ShowMessage(371, CMessageService::Icon::Information, CMessageService::Buttons::Ok, {}, this);
}
