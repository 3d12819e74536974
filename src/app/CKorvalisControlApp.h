// SPDX-License-Identifier: GPL-3.0-or-later
// The root of the program: settings, language, the link to one controller and what the
// connect sequence learned about it. Every page reaches the controller through the
// single-parameter access operations here.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/CSensor.h"
#include "link/CConnection.h"
#include "params/CControllerAccess.h"
#include "params/CControllerFolder.h"

class CByteChannel;
class CEmailAlerts;
class CEmailSettings;
class CConnectionArray;
class CSWMBus;
struct ModelInfo;
class CUserInteraction;

// The layers below take it through the narrow interfaces it implements, handed in by their
// callers; only the program's own side uses Instance().
class CKorvalisControlApp : public CControllerAccess, public CControllerFolder {
public:
    // Tests and the in-memory device model replace the serial/TCP channel with their own.
    using ChannelFactory = std::function<std::unique_ptr<CByteChannel>(const CConnection&)>;

    CKorvalisControlApp();
    ~CKorvalisControlApp() override;
    CKorvalisControlApp(const CKorvalisControlApp&) = delete;
    CKorvalisControlApp& operator=(const CKorvalisControlApp&) = delete;

    // The one application object; exists between construction and destruction.
    static CKorvalisControlApp& Instance();
    static bool HasInstance();

    void SetUserInteraction(CUserInteraction* ui) { m_ui = ui; }
    CUserInteraction* UserInteraction() const override { return m_ui; }
    void SetChannelFactory(ChannelFactory factory) { m_channelFactory = std::move(factory); }

    // --- start-up and exit -------------------------------------------------------------
    // The service-mode word of the command line ("wqz", any case).
    static bool IsServiceModeWord(const QString& argument);
    // Reads the per-user and machine-wide settings. Returns true on a first start.
    bool LoadSettings();
    void SaveSettings() const;
    // Loads the catalogue of the language into CLanguage::Current(); false when missing.
    bool LoadLanguage(int language);
    // Creates the data folder; false when that fails.
    bool CreateDataFolder();

    // --- stored connections ---------------------------------------------------------------
    // Loads "Connections.dat" from the data folder (the two defaults when there is none);
    // the list writes it back when the application object ends. Connect(nullptr) uses the
    // list's selected connection once it is loaded.
    void LoadConnections();
    CConnectionArray& Connections() { return *m_connections; }
    const CConnectionArray& Connections() const { return *m_connections; }

    // --- connect and disconnect -----------------------------------------------------------
    bool Connect(const CConnection* connection, bool takeFirstAnswer);
    void Disconnect() override;
    bool IsConnected() const override;
    QString GetModelName() const;
    QString WindowTitle() const;
    void UpdateTitle() override;
    bool GetControllerFolder(QString& path) const override;
    // Plain-words reason of the last failed channel open (serial permission, say).
    // Why the last Connect failed when no message said it: the channel's error, or the
    // status of the identification read that failed, with its meaning.
    QString LastChannelError() const { return m_lastChannelError; }
    QString TransferFailureText(uint16_t status) const;

    // --- single-parameter access --------------------------------------------------------
    uint16_t ReadParameter(int number, bool toSmsModule = false) override;
    double GetLastValue() const override;
    double GetLastSignedValue() const override;
    QByteArray GetLastText() const override;
    uint16_t WriteParameter(int number, double value, bool toSmsModule = false) override;
    uint16_t WriteTextParameter(int number, const QByteArray& bytes, bool toSmsModule = false) override;

    CSWMBus* Bus() const override { return m_bus.get(); }
    CByteChannel* Channel() const override { return m_channel.get(); }
    void SetFramePause(int msecs);

    // --- progress ticking and the transfer flag ------------------------------------------
    void EnableProgressTicking(int steps);
    void DisableProgressTicking();
    bool IsTransferInProgress() const override { return m_transferInProgress; }
    void SetTransferInProgress(bool on) override { m_transferInProgress = on; }

    // --- the connect sequence's findings (only the connect sets them) -------------------
    bool IsSimulation() const override { return simulationMode; }
    bool IsServiceMode() const override { return serviceMode; }
    CConnection& CurrentConnection() override { return currentConnection; }
    const ModelInfo* Model() const override { return m_model; }
    int16_t FirmwareVersion() const override { return m_firmwareVersion; }
    uint32_t SerialNumber() const override { return m_serialNumber; }
    bool HasSmsModule() const override { return m_smsModulePresent; }
    const std::array<CSensor, 8>& Sensors() const override { return m_sensors; }
    uint8_t SensorType(int input) const override;
    int DeviceAddress() const override { return currentConnection.deviceAddress; }
    // The sensor input with its live values and alarm state (what the sensor pages and the
    // alert cycle update); the input number is taken modulo 8.
    CSensor& SensorInput(int input) { return m_sensors[static_cast<size_t>(input) & 7]; }
    // The last connect stopped at a firmware too old for the program (message 334 said so).
    bool RefusedOldFirmware() const { return m_refusedOldFirmware; }
    // The list folder given (command line, tests) or else the installed one.
    QString ParameterListFolder() const override;

    // --- simulation -------------------------------------------------------------------
    // Toggles simulation mode while not connected; false when refused.
    bool ToggleSimulation();

    // --- e-mail alerts ---------------------------------------------------------------------
    // The rules and server settings ("EmailSettings.dat" in the data folder).
    CEmailSettings& EmailSettings() { return *m_emailSettings; }
    // The alert cycle and the mail program; created on first use.
    CEmailAlerts& EmailAlerts();
    // Reads "EmailSettings.dat" from the data folder (done by CreateDataFolder at start).
    bool LoadEmailSettings();

    // --- settings and program state -------------------------------------------------------
    int language = 0;
    bool automaticConnect = false;
    bool loggedIn = false;
    uint16_t currentHelpTopic = 298;
    uint16_t defaultHelpTopic = 298;
    int32_t password = 0;
    bool simulationMode = false;
    bool serviceMode = false;
    bool simulatedConnectionUp = false;
    uint8_t parameter8 = 0;
    CConnection currentConnection;
    // A serial device path that takes the place of the port-number mapping (command line).
    QString serialDeviceOverride;
    QString listFolder;
    QString dataFolder;
    std::array<QStringList, 4> descriptionLists;  // illumination, timer, level, digital input
    bool descriptionsLoaded = false;               // the lists belong to the connected controller
    std::array<uint16_t, 16> dimmingCurveWords{};
    uint8_t viewState = 255;

    // The dimming-curve colour of curve i (red in the low byte).
    uint32_t DimmingCurveColour(int curve) const;
    void SetDimmingCurveColour(int curve, uint32_t rgb);

    // Called after a connect has learned the model and before it returns, and before a
    // disconnect drops the link: the description lists hook in here.
    std::function<void(CKorvalisControlApp&)> onConnected;
    std::function<void(CKorvalisControlApp&)> onDisconnecting;

private:
    bool OpenChannel();
    bool Identify();
    bool ReadSensorInputs();
    void TitleSensors();
    bool PrepareTransfer(bool toSmsModule);
    // One controller access: connection and simulation rules, device address, progress, and
    // for writes the acknowledgement.
    uint16_t Access(bool toSmsModule, bool isWrite, const std::function<uint16_t(CSWMBus&)>& transfer);
    void StepProgress();
    bool Fail();

    CUserInteraction* m_ui = nullptr;
    ChannelFactory m_channelFactory;
    std::unique_ptr<CByteChannel> m_channel;
    std::unique_ptr<CSWMBus> m_bus;
    std::unique_ptr<CConnectionArray> m_connections;
    bool m_progressTicking = false;
    bool m_transferInProgress = false;
    int m_framePauseMs = 10;
    QString m_lastChannelError;
    uint16_t m_lastTransferStatus = 0;
    std::unique_ptr<CEmailSettings> m_emailSettings;
    std::unique_ptr<CEmailAlerts> m_emailAlerts;
    const ModelInfo* m_model = nullptr;
    int16_t m_firmwareVersion = 0;
    uint32_t m_serialNumber = 0;
    bool m_smsModulePresent = false;
    bool m_refusedOldFirmware = false;
    std::array<CSensor, 8> m_sensors{};
};
