// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SensorParameters.h"
#include "app/CKorvalisControlApp.h"

#include <QDir>
#include <QSettings>
#include <algorithm>

#include "base/CAppPaths.h"
#include "app/CEmailAlerts.h"
#include "app/CEnableProgressTicking.h"
#include "app/CTimerStop.h"
#include "base/CUserInteraction.h"
#include "base/ModelInfo.h"
#include "base/SensorTypeInfo.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "link/CFrameCodec.h"
#include "link/CMyAsyncSocket.h"
#include "link/CSWMBus.h"
#include "link/CSerialComm.h"
#include "link/CSerialPortMap.h"
#include "params/CDescriptionLists.h"
#include "alerts/CEmailSettings.h"

namespace {
CKorvalisControlApp* g_instance = nullptr;

constexpr uint16_t kDefaultCurveWords[16] = {0, 0, 255, 0, 65280, 0, 0, 255, 32896, 0, 0, 128, 128, 255, 16448, 64};
constexpr uint32_t kSimulatedSerial = 1005092007u;
constexpr int kSimulatedProductCode = 3;

QString CurveKey(int curve, int word)
{
    return QStringLiteral("Dimmcurves/d%1%2").arg(curve).arg(word);
}
}  // namespace

CKorvalisControlApp::CKorvalisControlApp()
    : m_connections(std::make_unique<CConnectionArray>()), m_emailSettings(std::make_unique<CEmailSettings>())
{
    g_instance = this;
    std::copy(std::begin(kDefaultCurveWords), std::end(kDefaultCurveWords), dimmingCurveWords.begin());
    for (int i = 0; i < 8; ++i) {
        m_sensors[i].index = i;
        m_sensors[i].controller = this;
    }
}

CKorvalisControlApp::~CKorvalisControlApp()
{
    m_emailAlerts.reset();
    m_bus.reset();
    m_channel.reset();
    if (g_instance == this)
        g_instance = nullptr;
}

CKorvalisControlApp& CKorvalisControlApp::Instance()
{
    Q_ASSERT(g_instance);
    return *g_instance;
}

bool CKorvalisControlApp::HasInstance()
{
    return g_instance != nullptr;
}

// --- start-up and exit ---------------------------------------------------------------------

bool CKorvalisControlApp::IsServiceModeWord(const QString& argument)
{
    return argument.compare(QLatin1String("wqz"), Qt::CaseInsensitive) == 0;
}

bool CKorvalisControlApp::LoadSettings()
{
    listFolder = CAppPaths::ListFolder();
    dataFolder = CAppPaths::DataFolder();
    QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
    bool ok = false;
    language = s.value(QStringLiteral("Settings/Language"), -1).toInt(&ok);
    if (!ok)
        language = -1;
    automaticConnect = s.value(QStringLiteral("Settings/AutoConnect"), 0).toInt() != 0;
    for (int c = 0; c < 8; ++c) {
        for (int w = 0; w < 2; ++w) {
            const int idx = 2 * c + w;
            dimmingCurveWords[idx] = static_cast<uint16_t>(
                s.value(CurveKey(c, w), kDefaultCurveWords[idx]).toUInt());
        }
    }
    viewState = static_cast<uint8_t>(s.value(QStringLiteral("Dimmcurves/ViewState"), 255).toUInt());
    const bool firstStart = language == -1;
    if (firstStart)
        language = 0;
    return firstStart;
}

void CKorvalisControlApp::SaveSettings() const
{
    QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Settings/Language"), language);
    s.setValue(QStringLiteral("Settings/AutoConnect"), automaticConnect ? 1 : 0);
    for (int c = 0; c < 8; ++c)
        for (int w = 0; w < 2; ++w)
            s.setValue(CurveKey(c, w), dimmingCurveWords[2 * c + w]);
    s.setValue(QStringLiteral("Dimmcurves/ViewState"), viewState);
    s.sync();
}

bool CKorvalisControlApp::LoadLanguage(int lang)
{
    const QString path = CLanguage::FindCatalogue(lang);
    if (path.isEmpty())
        return false;
    CLanguage& current = CLanguage::Current();
    if (!current.Load(path))
        return false;
    current.SetLanguage(lang);
    return true;
}

bool CKorvalisControlApp::CreateDataFolder()
{
    if (dataFolder.isEmpty())
        dataFolder = CAppPaths::DataFolder();
    const bool created = QDir().mkpath(dataFolder);
    LoadEmailSettings();
    return created;
}

bool CKorvalisControlApp::LoadEmailSettings()
{
    m_emailSettings->SetFilePath(QDir(dataFolder).filePath(CEmailSettings::FileName()));
    return m_emailSettings->Load();
}

CEmailAlerts& CKorvalisControlApp::EmailAlerts()
{
    if (!m_emailAlerts)
        m_emailAlerts = std::make_unique<CEmailAlerts>(*this, *m_emailSettings);
    return *m_emailAlerts;
}

void CKorvalisControlApp::LoadConnections()
{
    m_connections = std::make_unique<CConnectionArray>(dataFolder);
}

uint32_t CKorvalisControlApp::DimmingCurveColour(int curve) const
{
    if (curve < 0 || curve > 7)
        return 0;
    return (static_cast<uint32_t>(dimmingCurveWords[2 * curve + 1]) << 16) | dimmingCurveWords[2 * curve];
}

void CKorvalisControlApp::SetDimmingCurveColour(int curve, uint32_t rgb)
{
    if (curve < 0 || curve > 7)
        return;
    dimmingCurveWords[2 * curve] = static_cast<uint16_t>(rgb & 0xFFFF);
    dimmingCurveWords[2 * curve + 1] = static_cast<uint16_t>(rgb >> 16);
}

// --- connect and disconnect ------------------------------------------------------------------

bool CKorvalisControlApp::IsConnected() const
{
    return m_bus != nullptr || (simulationMode && simulatedConnectionUp);
}

void CKorvalisControlApp::Disconnect()
{
    if (m_model) {
        // The hook runs first so that edits still held by pages reach the lists saved here.
        if (onDisconnecting)
            onDisconnecting(*this);
        CDescriptionLists::SaveDescriptions(*this, m_model, descriptionsLoaded, descriptionLists);
    }
    for (QStringList& names : descriptionLists)
        names.clear();
    descriptionsLoaded = false;
    m_bus.reset();
    m_channel.reset();
    m_model = nullptr;
    simulatedConnectionUp = false;
    // The title names the model only while one is connected, however the link went.
    UpdateTitle();
}

bool CKorvalisControlApp::Fail()
{
    Disconnect();
    UpdateTitle();
    return false;
}

bool CKorvalisControlApp::OpenChannel()
{
    m_lastChannelError.clear();
    const CConnection& c = currentConnection;
    if (m_channelFactory) {
        m_channel = m_channelFactory(c);
        return m_channel && m_channel->IsUsable();
    }
    if (c.type == CConnection::Tcp) {
        auto socket = std::make_unique<CMyAsyncSocket>();
        socket->SetConnectTimeout(c.EffectiveTimeout());
        const bool ok = socket->ConnectTo(c.networkAddress, static_cast<uint16_t>(c.tcpPort), false);
        if (!ok) m_lastChannelError = socket->LastError();
        m_channel = std::move(socket);
        return ok;
    }
    const QString path = serialDeviceOverride.isEmpty() ? CSerialPortMap::DevicePath(c.comPort) : serialDeviceOverride;
    auto port = std::make_unique<CSerialComm>(path.isEmpty() ? QStringLiteral("COM%1").arg(c.comPort) : path);
    if (!port->Open()) {
        m_lastChannelError = port->LastError();
        return false;
    }
    CSerialCommState state;
    state.baudRate = c.baudRate;
    port->SetState(state);
    m_channel = std::move(port);
    return true;
}

bool CKorvalisControlApp::Connect(const CConnection* connection, bool takeFirstAnswer)
{
    CEnableProgressTicking ticking(*this, 20);
    CTimerStop timerStop(*this);

    Disconnect();
    // A reason belongs to its attempt: a discovery that finds nothing has none of its own.
    m_lastChannelError.clear();
    parameter8 = 0;
    m_smsModulePresent = false;
    m_refusedOldFirmware = false;
    for (int i = 0; i < 8; ++i) {
        m_sensors[i] = CSensor();
        m_sensors[i].index = i;
        m_sensors[i].controller = this;
    }
    if (connection)
        currentConnection = *connection;
    else if (!m_connections->FilePath().isEmpty())
        currentConnection = m_connections->GetSelected();

    if (simulationMode) {
        m_model = ModelInfo::Find(kSimulatedProductCode);
        QString version = Tr(125);
        version.remove(QLatin1Char('.')).remove(QLatin1Char(';'));
        int digits = 0;
        while (digits < version.size() && version[digits].isDigit())
            ++digits;
        m_firmwareVersion = static_cast<int16_t>(version.left(digits).toInt());
        m_serialNumber = kSimulatedSerial;
        simulatedConnectionUp = true;
        m_sensors[0].type = SensorTypeInfo::PH;
        m_sensors[1].type = SensorTypeInfo::Temperature;
        m_sensors[2].type = SensorTypeInfo::Redox;
        m_sensors[3].type = SensorTypeInfo::CondSea;
        m_smsModulePresent = currentConnection.smsModule;
    } else {
        const bool tcp = currentConnection.type == CConnection::Tcp && !m_channelFactory;
        if (tcp && currentConnection.networkAddress.trimmed() == QLatin1String("0.0.0.0")) {
            const QString found = CMyAsyncSocket::Discover(takeFirstAnswer);
            if (found == QLatin1String("0.0.0.0") || found.isEmpty())
                return false;
            currentConnection.networkAddress = found;
        }
        if (!OpenChannel()) {
            // A TCP connection that cannot be started returns at once, as the sheet expects.
            if (tcp)
                return false;
            return Fail();
        }
        m_bus = std::make_unique<CSWMBus>(m_channel.get(), currentConnection.EffectiveTimeout());
        m_bus->SetFramePause(m_framePauseMs);
        m_lastTransferStatus = CSWMBus::Ok;
        if (!Identify() || !ReadSensorInputs()) {
            if (m_lastTransferStatus != CSWMBus::Ok) m_lastChannelError = TransferFailureText(m_lastTransferStatus);
            return Fail();
        }
        if (currentConnection.smsModule) {
            if (ReadParameter(2, true) == 0 && GetLastValue() == ModelInfo::SmsModuleProductCode)
                m_smsModulePresent = true;
        }
    }
    TitleSensors();
    descriptionsLoaded = CDescriptionLists::LoadDescriptions(*this, m_model, descriptionLists);
    if (onConnected)
        onConnected(*this);
    UpdateTitle();
    return true;
}

bool CKorvalisControlApp::Identify()
{
    if (ReadParameter(2) != 0)
        return false;
    const int productCode = static_cast<int>(static_cast<int64_t>(GetLastValue()) & 0xFF);
    m_model = ModelInfo::Find(productCode);
    if (!m_model) {
        if (m_ui)
            m_ui->ShowMessage(126, CUserInteraction::Icon::Stop, CUserInteraction::Buttons::Ok);
        return false;
    }
    if (ReadParameter(0) != 0)
        return false;
    m_firmwareVersion = static_cast<int16_t>(static_cast<int64_t>(GetLastValue()) & 0xFFFF);
    if (m_firmwareVersion < 400) {
        m_refusedOldFirmware = true;
        if (m_ui)
            m_ui->ShowMessage(334, CUserInteraction::Icon::Stop, CUserInteraction::Buttons::Ok);
        return false;
    }
    if (ReadParameter(6) != 0)
        return false;
    m_serialNumber = static_cast<uint32_t>(static_cast<int64_t>(GetLastValue()) & 0xFFFFFFFF);
    if (ReadParameter(489) != 0)
        return false;
    password = static_cast<int32_t>(static_cast<int64_t>(GetLastValue()));
    if (!loggedIn && password != 0) {
        if (!m_ui || !m_ui->Login(static_cast<uint16_t>(password & 0xFFFF)))
            return false;
        loggedIn = true;
    }
    if (m_firmwareVersion >= 401) {
        if (ReadParameter(8) != 0)
            return false;
        parameter8 = static_cast<uint8_t>(static_cast<int64_t>(GetLastValue()) & 0xFF);
        if (parameter8 != 0 && m_ui &&
            m_ui->ShowMessage(335, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::YesNo) ==
                CUserInteraction::IdYes) {
            if (WriteParameter(8, 0) != 0)
                return false;
        }
    }
    return true;
}

bool CKorvalisControlApp::ReadSensorInputs()
{
    for (int i = 0; i < 8; ++i) {
        CSensor& s = m_sensors[i];
        if (ReadParameter(SensorParameters::Number(i, SensorParameters::Type)) != 0)
            return false;
        s.type = static_cast<uint8_t>(static_cast<int64_t>(GetLastValue()) & 0xFF);
        if (s.type == 0)
            continue;
        if (ReadParameter(SensorParameters::Number(i, SensorParameters::DisplayMode)) != 0)
            return false;
        s.displayMode = static_cast<uint8_t>(static_cast<int64_t>(GetLastValue()) & 0xFF);
        if (s.type == SensorTypeInfo::CondSea) {
            if (ReadParameter(SensorParameters::Number(i, SensorParameters::DensityCorrection)) != 0)
                return false;
            s.densityCorrection = GetLastSignedValue() / 10000.0;
        }
    }
    return true;
}

void CKorvalisControlApp::TitleSensors()
{
    // Only kinds with a row in the type table are counted and titled; a device reporting an
    // unknown kind must not index past the counters.
    std::array<int, SensorTypeInfo::MaxCode + 1> counters{};
    for (int i = 0; i < 8; ++i) {
        CSensor& s = m_sensors[i];
        s.title.clear();
        s.bitMask = 0;
        if (s.type == 0 || !SensorTypeInfo::Find(s.type))
            continue;
        ++counters[s.type];
        s.title = CSensor::TypeName(s.type) + QLatin1Char(' ') + QChar(u'0' + counters[s.type]);
        s.bitMask = static_cast<uint8_t>(1u << i);
    }
}

QString CKorvalisControlApp::GetModelName() const
{
    return m_model ? QString::fromLatin1(m_model->displayName) : Tr(127);
}

QString CKorvalisControlApp::WindowTitle() const
{
    return (simulationMode ? Tr(347) : Tr(348)) + GetModelName();
}

void CKorvalisControlApp::UpdateTitle()
{
    if (m_ui)
        m_ui->SetTitle(WindowTitle());
}

uint8_t CKorvalisControlApp::SensorType(int input) const
{
    return input >= 0 && input < int(m_sensors.size()) ? m_sensors[size_t(input)].type : 0;
}

QString CKorvalisControlApp::ParameterListFolder() const
{
    return listFolder.isEmpty() ? CAppPaths::ListFolder() : listFolder;
}

bool CKorvalisControlApp::GetControllerFolder(QString& path) const
{
    // Without a data folder (start-up not run, as in tests) there is no place for the
    // controller's files; a relative or root path must not be made up.
    if (!IsConnected() || dataFolder.isEmpty())
        return false;
    path = dataFolder + QDir::separator() + QString::number(static_cast<int32_t>(m_serialNumber));
    QDir().mkpath(path);
    return true;
}

bool CKorvalisControlApp::ToggleSimulation()
{
    if (IsConnected() && !simulationMode)
        return false;
    if (IsConnected())
        return false;
    simulationMode = !simulationMode;
    UpdateTitle();
    return true;
}

void CKorvalisControlApp::SetFramePause(int msecs)
{
    m_framePauseMs = msecs;
    if (m_bus)
        m_bus->SetFramePause(msecs);
}

// --- single-parameter access -----------------------------------------------------------------

bool CKorvalisControlApp::PrepareTransfer(bool toSmsModule)
{
    const uint32_t address = toSmsModule ? BusByte::SmsModuleAddress : currentConnection.deviceAddress;
    // An address the engine refuses must not leave the previous device addressed.
    return address <= BusByte::MaxDeviceAddress && m_bus->SetDeviceAddress(static_cast<uint8_t>(address));
}

void CKorvalisControlApp::StepProgress()
{
    if (m_progressTicking && m_ui)
        m_ui->SetProgressPos(m_ui->GetProgressPos() + 1);
}

uint16_t CKorvalisControlApp::Access(bool toSmsModule, bool isWrite,
                                     const std::function<uint16_t(CSWMBus&)>& transfer)
{
    if (!IsConnected())
        return CSWMBus::NoChannel;
    if (simulationMode)
        return CSWMBus::Ok;
    if (!m_bus || !PrepareTransfer(toSmsModule))
        return CSWMBus::NoChannel;
    uint16_t status = transfer(*m_bus);
    StepProgress();
    if (!isWrite)
        m_lastTransferStatus = status;
    uint8_t code = 0;
    if (isWrite && status == CSWMBus::Ok && !m_bus->GetAcknowledge(code))
        status = CSWMBus::NotAcknowledged;
    return status;
}

uint16_t CKorvalisControlApp::ReadParameter(int number, bool toSmsModule)
{
    return Access(toSmsModule, false,
                  [number](CSWMBus& bus) { return bus.Read(static_cast<int16_t>(number)); });
}

QString CKorvalisControlApp::TransferFailureText(uint16_t status) const
{
    const QString what = QStringLiteral("status %1: %2").arg(status).arg(QLatin1String(CSWMBus::StatusText(status)));
    if (status == CSWMBus::NoAnswer)
        return QStringLiteral("the device did not answer (%1 of %2 ms); check the connection options, and that no "
                              "other program is using the device")
            .arg(what)
            .arg(currentConnection.EffectiveTimeout());
    if (status == CSWMBus::NoChannel)
        return QStringLiteral("the connection was closed by the other side (%1)").arg(what);
    return QStringLiteral("the answer was not understood (%1); check the baud rate and the bus address").arg(what);
}

double CKorvalisControlApp::GetLastValue() const
{
    if (simulationMode)
        return 0.0;
    return m_bus ? m_bus->GetUnsignedValue() : 80.0;
}

double CKorvalisControlApp::GetLastSignedValue() const
{
    if (simulationMode)
        return 0.0;
    return m_bus ? m_bus->GetSignedValue() : 80.0;
}

QByteArray CKorvalisControlApp::GetLastText() const
{
    // Simulation has no engine: text values read as empty.
    if (simulationMode || !m_bus)
        return {};
    return m_bus->GetTextValue();
}

uint16_t CKorvalisControlApp::WriteParameter(int number, double value, bool toSmsModule)
{
    return Access(toSmsModule, true, [number, value](CSWMBus& bus) {
        return bus.WriteValue(static_cast<int16_t>(number), value);
    });
}

uint16_t CKorvalisControlApp::WriteTextParameter(int number, const QByteArray& bytes, bool toSmsModule)
{
    bool sent = false;
    const uint16_t status = Access(toSmsModule, true, [number, &bytes, &sent](CSWMBus& bus) {
        sent = true;
        return bus.WriteBytes(static_cast<int16_t>(number), bytes);
    });
    // A text the controller did not take leaves the link in doubt.
    if (sent && status != CSWMBus::Ok)
        Disconnect();
    return status;
}

// --- progress ticking ------------------------------------------------------------------------

void CKorvalisControlApp::EnableProgressTicking(int steps)
{
    m_progressTicking = true;
    if (m_ui) {
        m_ui->SetProgressRange(std::clamp(steps, 0, 65535));
        m_ui->SetProgressPos(0);
    }
}

void CKorvalisControlApp::DisableProgressTicking()
{
    m_progressTicking = false;
    if (m_ui)
        m_ui->SetProgressPos(0);
}
