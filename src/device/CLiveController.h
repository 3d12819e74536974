// SPDX-License-Identifier: GPL-3.0-or-later
// Brings a device model to life: the clock runs, values drift, states change, the front
// panel follows its keys, the operating modes and restart work. The emulator uses it as a
// whole; tests use it with a manual clock to see the same behaviour deterministically.
// Further behaviours (recorder, boot loader) are added with Add.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "device/CDeviceClock.h"

class CBusDevice;
class CDeviceBehaviour;
class CDeviceModel;
class CFrontPanelBehaviour;
class CIlluminationLevelsBehaviour;
class CLiveStatesBehaviour;
class COperatingModeBehaviour;
class CRestartBehaviour;

class CLiveController {
public:
    struct Settings {
        double timeScale = 1.0;
        uint32_t seed = 1;
        int restartMs = 3000;
        bool manualClock = false;
    };

    CLiveController(CDeviceModel& model, const Settings& settings);
    ~CLiveController();
    CLiveController(const CLiveController&) = delete;
    CLiveController& operator=(const CLiveController&) = delete;

    CDeviceClock& Clock() { return m_clock; }
    CDeviceModel& Model() { return m_model; }

    // Attaches a further behaviour to the controller (or to the SMS module); it takes part
    // in restarts and in deciding what a saved state leaves out.
    void Add(std::unique_ptr<CDeviceBehaviour> behaviour, bool toSmsModule = false);

    // Whether a parameter of the controller (or SMS module) is made up as the device runs.
    bool IsVolatile(int number, bool smsModule = false) const;

    const CFrontPanelBehaviour& FrontPanel() const { return *m_frontPanel; }
    const CLiveStatesBehaviour& States() const { return *m_states; }
    const CRestartBehaviour& Restart() const { return *m_restart; }
    // The live light levels; a test mode that drives the lamps sets its override here.
    CIlluminationLevelsBehaviour& IlluminationLevels() { return *m_levels; }

private:
    void RestartDevice(CBusDevice& device, bool smsModule);

    struct OriginalHooks {
        CBusDevice* device;
        std::function<void(CBusDevice&, int)> beforeRead, afterWrite;
        std::function<uint8_t(CBusDevice&, int, int64_t)> writeCheck;
        std::function<bool(const CBusDevice&)> silent;
    };

    CDeviceModel& m_model;
    CDeviceClock m_clock;
    std::vector<OriginalHooks> m_originalHooks;
    std::vector<std::unique_ptr<CDeviceBehaviour>> m_controller;
    std::vector<std::unique_ptr<CDeviceBehaviour>> m_sms;
    CFrontPanelBehaviour* m_frontPanel = nullptr;
    CLiveStatesBehaviour* m_states = nullptr;
    CRestartBehaviour* m_restart = nullptr;
    CIlluminationLevelsBehaviour* m_levels = nullptr;
};
