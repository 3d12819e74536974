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

#include "link/CConnection.h"
#include "base/CSensor.h"

class CByteChannel;
class CEmailAlerts;
class CEmailSettings;
class CConnectionArray;
class CSWMBus;
struct ModelInfo;
class CUserInteraction;

class CKorvalisControlApp {
public:
    // Tests and the in-memory device model replace the serial/TCP channel with their own.
    using ChannelFactory = std::function<std::unique_ptr<CByteChannel>(const CConnection&)>;

    CKorvalisControlApp();
    ~CKorvalisControlApp();
    CKorvalisControlApp(const CKorvalisControlApp&) = delete;
    CKorvalisControlApp& operator=(const CKorvalisControlApp&) = delete;

    // The one application object; exists between construction and destruction.
    static CKorvalisControlApp& Instance();
    static bool HasInstance();

    void SetUserInteraction(CUserInteraction* ui) { m_ui = ui; }
    CUserInteraction* UserInteraction() const { return m_ui; }
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
    void Disconnect();
    bool IsConnected() const;
    QString GetModelName() const;
    QString WindowTitle() const;
    void UpdateTitle();
    bool GetControllerFolder(QString& path) const;
    // Plain-words reason of the last failed channel open (serial permission, say).
    // Why the last Connect failed when no message said it: the channel's error, or the
    // status of the identification read that failed, with its meaning.
    QString LastChannelError() const { return m_lastChannelError; }
    QString TransferFailureText(uint16_t status) const;

    // --- single-parameter access --------------------------------------------------------
    uint16_t ReadParameter(int number, bool toSmsModule = false);
    double GetLastValue() const;
    double GetLastSignedValue() const;
    QByteArray GetLastText() const;
    uint16_t WriteParameter(int number, double value, bool toSmsModule = false);
    uint16_t WriteTextParameter(int number, const QByteArray& bytes, bool toSmsModule = false);

    CSWMBus* Bus() const { return m_bus.get(); }
    CByteChannel* Channel() const { return m_channel.get(); }
    void SetFramePause(int msecs);

    // --- progress ticking and the transfer flag ------------------------------------------
    void EnableProgressTicking(int steps);
    void DisableProgressTicking();
    bool IsTransferInProgress() const { return m_transferInProgress; }
    void SetTransferInProgress(bool on) { m_transferInProgress = on; }

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

    // --- state learned at connect, settings -------------------------------------------------
    int language = 0;
    bool automaticConnect = false;
    int16_t firmwareVersion = 0;
    uint32_t serialNumber = 0;
    std::array<CSensor, 8> sensors{};
    bool loggedIn = false;
    uint16_t currentHelpTopic = 298;
    uint16_t defaultHelpTopic = 298;
    const ModelInfo* model = nullptr;
    int32_t password = 0;
    bool smsModulePresent = false;
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
};
