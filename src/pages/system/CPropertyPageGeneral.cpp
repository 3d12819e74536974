// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/CPropertyPageGeneral.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/FieldCodecs.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "ui/sheet/CAboutDlg.h"
#include "ui/page/CEditSpin.h"
#include "params/CControllerView.h"
#include "ui/page/CPageHost.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CUpdate.h"
#include "ui/page/PageConversions.h"

KORVALIS_REGISTER_PAGE(CPropertyPageGeneral);

namespace {
bool g_splashEnabled = true;
bool g_splashShown = false;

constexpr int kModelF = 7;

// A picker the user is working in: it has the focus, or its calendar popup is open.
bool UserIsAt(QWidget* picker) {
    if (!picker) return false;
    if (picker->hasFocus()) return true;
    for (QWidget* w = QApplication::activePopupWidget(); w; w = w->parentWidget())
        if (w == picker) return true;
    return false;
}

QLabel* ValueLabel(int id, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::number(id));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}
}  // namespace

CPropertyPageGeneral::CPropertyPageGeneral() = default;
CPropertyPageGeneral::~CPropertyPageGeneral() = default;

void CPropertyPageGeneral::SetSplashEnabled(bool enabled) {
    g_splashEnabled = enabled;
}

QString CPropertyPageGeneral::VersionText(int version) {
    QString digits = QString::number(std::abs(version));
    if (digits.size() > 1) digits.insert(1, QLatin1Char('.'));
    return version < 0 ? QLatin1Char('-') + digits : digits;
}

bool CPropertyPageGeneral::HasExtraOptions() const {
    const ModelInfo* m = Controller().Model();
    if (!m) return false;
    return m->productCode == 3 || m->productCode == 4 || m->productCode == 8;
}

bool CPropertyPageGeneral::IsModelF() const {
    const ModelInfo* m = Controller().Model();
    return m && m->productCode == kModelF;
}

void CPropertyPageGeneral::DeclareFields() {
    Check(172, IdSwitchA, Tr(32641));
    Time(170, IdTime);
    Date(171, IdDate);
    Check(173, IdSwitchB, Tr(32642));
    Real(175, IdOptionNumber).Range(0, 14).Spin(1, 14);
    // The night times and the backlight choice exist on models B, D and G only.
    const auto extra = [this] { return HasExtraOptions(); };
    Time(702, IdFrom).When(extra);
    Time(703, IdUntil).When(extra);
    Radio(701, {IdChoiceFirst, IdChoiceFirst + 1, IdChoiceFirst + 2},
          {Tr(32659), Tr(32660), Tr(32661)})
        .When(extra);
    Combo(176, IdOptionList, {Tr(32653), Tr(32654), Tr(32655), Tr(32656)}).Bits(0, 2);
    Check(176, IdOptionBit, Tr(32657)).Bits(2, 1);
    KeepBits(176, 0);
    // Signed tenths of a degree: the magnitude in the edit, the sign as the hemisphere.
    const auto magnitude = [](uint32_t, int32_t s) { return std::fabs(double(s)) / 10.0; };
    const auto tenths = [](double v, uint32_t) { return PageConversions::DisplayToDevice(v, 10); };
    const auto side = [](uint32_t, int32_t s) { return s < 0 ? 1.0 : 0.0; };
    const auto signedBySide = [](double v, uint32_t raw) {
        return FieldCodecs::JoinSign(int32_t(raw), int(v));
    };
    Real(177, IdLatitude, 10).Range(0, 90).Codec(magnitude, tenths);
    Combo(177, IdLatitudeSide, {Tr(32647), Tr(32648)}).Codec(side, signedBySide);
    Real(178, IdLongitude, 10).Range(0, 180).Codec(magnitude, tenths);
    Combo(178, IdLongitudeSide, {Tr(32649), Tr(32650)}).Codec(side, signedBySide);

    ReadOrder({172, 170, 171, 173, 175, 702, 703, 701, 176, 177, 178});
    WriteOrder({172, 173, 175, 171, 170, 702, 703, 701, 176, 177, 178});
    SetReadCount(11);

    PageTopic(298);
    HelpTopic(299, {IdConnectionList, IdConnections, IdConnect});
    HelpTopic(300, {IdStatus, IdFirmware, IdSerial, IdModel});
    HelpTopic(301, {IdTime, IdDate, IdSetFromPc, IdSwitchA, IdSwitchB, IdOptionNumber});
    HelpTopic(302, {IdLatitude, IdLatitudeSide, IdLongitude, IdLongitudeSide});
    HelpTopic(303, {IdOptionList, IdOptionBit, IdChoiceFirst, IdChoiceFirst + 1,
                    IdChoiceFirst + 2, IdFrom, IdUntil});
}

// --- controls --------------------------------------------------------------------------------

void CPropertyPageGeneral::CreateControls() {
    // Connection and identification.
    auto* connectionBox = new QGroupBox(Tr(32630), this);
    m_connectionList = new QComboBox(connectionBox);
    m_connectionList->setObjectName(QString::number(IdConnectionList));
    m_connectionList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_connectionList->setMinimumContentsLength(14);
    connect(m_connectionList, &QComboBox::activated, this, [this](int index) {
        if (index >= 0) Connections().Select(index);
    });
    m_connections = new QPushButton(Tr(32631), connectionBox);
    m_connections->setObjectName(QString::number(IdConnections));
    m_connections->setAutoDefault(false);
    connect(m_connections, &QPushButton::clicked, this, [this] {
        if (Host()) Host()->OpenConnectionsDialog();
    });
    m_connect = new QPushButton(Tr(177), connectionBox);
    m_connect->setObjectName(QString::number(IdConnect));
    m_connect->setAutoDefault(false);
    {
        // Wide enough for every text it takes, so blinking does not move the layout.
        const QFontMetrics fm = m_connect->fontMetrics();
        int wide = 0;
        for (int id : {177, 178, 180})
            wide = std::max(wide, fm.horizontalAdvance(QString(Tr(id)).remove(QLatin1Char('&'))));
        m_connect->setMinimumWidth(wide + 40);
        m_connect->setMinimumHeight(m_connect->sizeHint().height() + 8);
    }
    connect(m_connect, &QPushButton::clicked, this, &CPropertyPageGeneral::ToggleConnection);

    m_status = ValueLabel(IdStatus, connectionBox);
    m_firmware = ValueLabel(IdFirmware, connectionBox);
    m_serial = ValueLabel(IdSerial, connectionBox);
    m_model = ValueLabel(IdModel, connectionBox);

    auto* connectionLayout = new QVBoxLayout(connectionBox);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_connectionList, 1);
    listRow->addWidget(m_connections);
    connectionLayout->addLayout(listRow);
    auto* connectRow = new QHBoxLayout;
    connectRow->addWidget(m_connect);
    connectRow->addStretch(1);
    connectionLayout->addLayout(connectRow);
    auto* identity = new QFormLayout;
    identity->addRow(Tr(32633), m_status);
    identity->addRow(Tr(32634), m_firmware);
    identity->addRow(Tr(32635), m_serial);
    identity->addRow(Tr(32636), m_model);
    connectionLayout->addLayout(identity);
    connectionLayout->addStretch(1);

    // Clock and calendar with their synchronisation.
    m_clockBox = new QGroupBox(Tr(32637), this);
    m_timeEdit = ControlAs<QTimeEdit>(IdTime);
    m_dateEdit = ControlAs<QDateEdit>(IdDate);
    m_setFromPc = new QPushButton(Tr(32640), m_clockBox);
    m_setFromPc->setObjectName(QString::number(IdSetFromPc));
    m_setFromPc->setAutoDefault(false);
    connect(m_setFromPc, &QPushButton::clicked, this, &CPropertyPageGeneral::SetFromPc);
    m_switchABox = ControlAs<QCheckBox>(IdSwitchA);
    m_switchBBox = ControlAs<QCheckBox>(IdSwitchB);
    m_optionNumberEdit = ControlAs<CEditSpin>(IdOptionNumber);
    m_optionNumberEdit->setMinimumWidth(70);
    m_optionNumberLabel = new QLabel(Tr(32643), m_clockBox);
    m_optionNumberLabel->setBuddy(m_optionNumberEdit);

    auto* clockLayout = new QVBoxLayout(m_clockBox);
    auto* clockForm = new QFormLayout;
    clockForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    auto* pickers = new QHBoxLayout;
    pickers->addWidget(m_timeEdit);
    pickers->addWidget(m_dateEdit);
    pickers->addStretch(1);
    clockForm->addRow(Tr(32638), pickers);
    auto* pcRow = new QHBoxLayout;
    pcRow->addWidget(m_setFromPc);
    pcRow->addStretch(1);
    clockForm->addRow(QString(), pcRow);
    clockLayout->addLayout(clockForm);
    clockLayout->addWidget(m_switchABox);
    auto* dependent = new QVBoxLayout;
    dependent->setContentsMargins(20, 0, 0, 0);
    dependent->addWidget(m_switchBBox);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(m_optionNumberLabel);
    numberRow->addWidget(m_optionNumberEdit);
    numberRow->addStretch(1);
    dependent->addLayout(numberRow);
    clockLayout->addLayout(dependent);
    clockLayout->addStretch(1);

    // Position: degrees and a hemisphere list each.
    m_locationBox = new QGroupBox(Tr(32644), this);
    m_latitudeEdit = ControlAs<CEditSpin>(IdLatitude);
    m_latitudeList = ControlAs<QComboBox>(IdLatitudeSide);
    m_longitudeEdit = ControlAs<CEditSpin>(IdLongitude);
    m_longitudeList = ControlAs<QComboBox>(IdLongitudeSide);
    for (CEditSpin* e : {m_latitudeEdit, m_longitudeEdit}) e->setMinimumWidth(80);
    auto* locationForm = new QFormLayout(m_locationBox);
    locationForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    auto* latitudeRow = new QHBoxLayout;
    latitudeRow->addWidget(m_latitudeEdit);
    latitudeRow->addWidget(m_latitudeList);
    auto* longitudeRow = new QHBoxLayout;
    longitudeRow->addWidget(m_longitudeEdit);
    longitudeRow->addWidget(m_longitudeList);
    locationForm->addRow(Tr(32645), latitudeRow);
    locationForm->addRow(Tr(32646), longitudeRow);

    // The controller's own display.
    m_displayBox = new QGroupBox(Tr(32651), this);
    m_optionList = ControlAs<QComboBox>(IdOptionList);
    m_optionBitBox = ControlAs<QCheckBox>(IdOptionBit);
    for (int k = 0; k < 3; ++k)
        m_choiceButtons[k] = ControlAs<QRadioButton>(IdChoiceFirst + k);
    m_fromEdit = ControlAs<QTimeEdit>(IdFrom);
    m_untilEdit = ControlAs<QTimeEdit>(IdUntil);
    m_backlightLabel = new QLabel(Tr(32658), m_displayBox);
    m_nightLabel = new QLabel(Tr(32662), m_displayBox);
    m_untilLabel = new QLabel(Tr(32663), m_displayBox);

    auto* displayForm = new QFormLayout(m_displayBox);
    displayForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    displayForm->addRow(Tr(32652), m_optionList);
    displayForm->addRow(QString(), m_optionBitBox);
    auto* choices = new QVBoxLayout;
    choices->setSpacing(2);
    for (QRadioButton* r : m_choiceButtons) choices->addWidget(r);
    displayForm->addRow(m_backlightLabel, choices);
    auto* night = new QHBoxLayout;
    night->addWidget(m_fromEdit);
    night->addWidget(m_untilLabel);
    night->addWidget(m_untilEdit);
    night->addStretch(1);
    displayForm->addRow(m_nightLabel, night);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(connectionBox, 0, 0);
    grid->addWidget(m_clockBox, 0, 1);
    grid->addWidget(m_locationBox, 1, 0);
    grid->addWidget(m_displayBox, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    ShowSplashOnce();
    RefreshConnectionDisplay();
}

void CPropertyPageGeneral::ShowSplashOnce() {
    if (!g_splashEnabled || g_splashShown) return;
    // Only as the main window comes up; a page built for a window nobody sees shows nothing.
    QWidget* w = Host() ? Host()->HostWindow() : nullptr;
    if (!w || !w->isVisible()) return;
    g_splashShown = true;
    // Modal to the main window but without a nested event loop: start-up (and an automatic
    // connect) goes on underneath, and the splash closes itself.
    auto* splash = new CAboutDlg(true, w);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->open();
}

void CPropertyPageGeneral::FillConnectionList() {
    if (!m_connectionList) return;
    const CConnectionArray& list = Connections();
    const QSignalBlocker blocker(m_connectionList);
    m_connectionList->clear();
    if (const CConnection* chosen = Host() ? Host()->ListedConnectionOverride() : nullptr) {
        // The command line chose the connection: the connect button uses it.
        m_connectionList->addItem(chosen->name);
        m_connectionList->setCurrentIndex(0);
        return;
    }
    for (int i = 0; i < list.GetCount(); ++i) m_connectionList->addItem(list.GetAt(i).name);
    m_connectionList->setCurrentIndex(list.GetCount() > 0 ? list.GetSelectedIndex() : -1);
}

void CPropertyPageGeneral::ShowConnectText() {
    if (!m_connect) return;
    if (Controller().IsConnected())
        m_connect->setText(Tr(178));
    else
        m_connect->setText(Tr(m_blink ? 180 : 177));
}

void CPropertyPageGeneral::RefreshConnectionDisplay() {
    if (!m_connect) return;
    const CControllerView& controller = Controller();
    const bool connected = controller.IsConnected();
    ShowConnectText();
    if (connected) {
        m_status->setText(Tr(128));
        m_firmware->setText(VersionText(controller.FirmwareVersion()));
        m_serial->setText(QString::number(controller.SerialNumber()));
        m_model->setText(controller.Model() ? QString::fromLatin1(controller.Model()->displayName) : Tr(127));
    } else {
        m_status->setText(Tr(127));
        for (QLabel* l : {m_firmware, m_serial, m_model}) l->setText(Tr(236));
        // What the previous controller had is no business of the next one.
        ResetValues();
    }
    FillConnectionList();
    m_connectionList->setEnabled(!connected);
    m_connections->setEnabled(!connected);
    UpdateControlStates();
}

void CPropertyPageGeneral::ResetValues() {
    ResetFields();
    ShowFields();
    if (IsModified()) MarkModified(false);
}

void CPropertyPageGeneral::UpdateControlStates() {
    if (!m_connect) return;
    const bool connected = Controller().IsConnected();
    const bool extra = connected && HasExtraOptions();
    const bool switchesUsable = connected && !IsModelF();
    const bool a = m_switchABox->isChecked();
    const bool b = m_switchBBox->isChecked();

    m_clockBox->setEnabled(connected);
    m_locationBox->setEnabled(connected);
    m_displayBox->setEnabled(connected);
    // The controller sets its clock itself while switch A is on.
    m_timeEdit->setEnabled(!a);
    m_dateEdit->setEnabled(!a);
    m_setFromPc->setEnabled(!a);
    m_switchABox->setEnabled(switchesUsable);
    m_switchBBox->setEnabled(switchesUsable && a);
    m_optionNumberEdit->setEnabled(switchesUsable && a && b);
    m_optionNumberLabel->setEnabled(m_optionNumberEdit->isEnabled());
    m_optionBitBox->setEnabled(extra);
    for (QRadioButton* r : m_choiceButtons) r->setEnabled(extra);
    for (QWidget* w : std::initializer_list<QWidget*>{m_fromEdit, m_untilEdit, m_backlightLabel,
                                                      m_nightLabel, m_untilLabel})
        w->setEnabled(extra);
}

// --- user actions ------------------------------------------------------------------------------

void CPropertyPageGeneral::SetFromPc() {
    const QDateTime now = QDateTime::currentDateTime();
    FieldOf(170)->SetValue(TimeToMinutes(now.time()));
    FieldOf(171)->SetValue(DateToDayNumber(now.date()));
    {
        CUpdate update(m_fillingControls);
        m_timeEdit->setTime(MinutesToTime(FieldOf(170)->Index()));
        m_dateEdit->setDate(DayNumberToDate(FieldOf(171)->Index()));
    }
    MarkModified(true);
    SetChanged(170);
    SetChanged(171);
    UpdateControlStates();
}

void CPropertyPageGeneral::ToggleConnection() {
    CPageHost* sheet = Host();
    if (!sheet) return;
    if (!Controller().IsConnected())
        sheet->ConnectController(true);
    else
        sheet->DisconnectController(true);
}

// --- read and write ----------------------------------------------------------------------------

bool CPropertyPageGeneral::ReadValues() {
    return Controller().IsConnected() && CMyPropertyPage::ReadValues();
}

// --- refresh tick ------------------------------------------------------------------------------

void CPropertyPageGeneral::OnAnyTick() {
    if (!m_connect) return;
    const bool connected = Controller().IsConnected();
    m_connectionList->setEnabled(!connected);
    m_connections->setEnabled(!connected);
    if (++m_tickCount % 5 == 0) {
        m_blink = !m_blink;
        ShowConnectText();
    }
}

void CPropertyPageGeneral::OnRefreshTick() {
    CPageHost* sheet = Host();
    if (sheet && sheet->LinkError()) {
        // A read or write failed somewhere: the link is gone, so is the connection.
        sheet->SetLinkError(false);
        sheet->DisconnectController(true);
        return;
    }
    if (!Controller().IsConnected()) return;
    if (!RefreshPicker(170, m_timeEdit, FieldOf(170)->IntRef())) return;
    RefreshPicker(171, m_dateEdit, FieldOf(171)->IntRef());
}

bool CPropertyPageGeneral::RefreshPicker(int number, QWidget* picker, int& field) {
    if (UserIsAt(picker) || IsChanged(number)) return true;
    if (ReadParam(number) != 0) {
        // The failure stopped this page's timer; the next tick has to see the link error.
        if (IsActive()) StartRefresh();
        return false;
    }
    field = static_cast<int>(static_cast<int64_t>(LastValue()));
    CUpdate update(m_fillingControls);
    if (number == 170)
        m_timeEdit->setTime(MinutesToTime(field));
    else
        m_dateEdit->setDate(DayNumberToDate(field));
    return true;
}
