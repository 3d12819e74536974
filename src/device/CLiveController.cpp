// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CLiveController.h"

#include "device/CBusDevice.h"
#include "device/behaviours/CClockBehaviour.h"
#include "device/CDeviceModel.h"
#include "device/behaviours/CDeviceProgrammingBehaviour.h"
#include "device/behaviours/CDigitalInputsBehaviour.h"
#include "device/behaviours/CFrontPanelBehaviour.h"
#include "device/behaviours/CIlluminationLevelsBehaviour.h"
#include "device/behaviours/CLightSceneBehaviour.h"
#include "device/behaviours/CLiveStatesBehaviour.h"
#include "device/behaviours/CLiveValuesBehaviour.h"
#include "device/behaviours/CSmsModuleBehaviour.h"
#include "device/behaviours/COperatingModeBehaviour.h"
#include "device/behaviours/CPumpOutputsBehaviour.h"
#include "device/behaviours/CRestartBehaviour.h"

namespace {
constexpr int kSmsTimeParameter = 2060;
}

CLiveController::CLiveController(CDeviceModel& model, const Settings& settings) : m_model(model)
{
    for (CBusDevice* d : {&m_model.Controller(), m_model.SmsModule()})
        if (d)
            m_originalHooks.push_back({d, d->beforeRead, d->afterWrite, d->writeCheck, d->silent});
    m_clock.SetManual(settings.manualClock);
    m_clock.SetTimeScale(settings.timeScale);

    auto modes = std::make_unique<COperatingModeBehaviour>(m_clock);
    auto states = std::make_unique<CLiveStatesBehaviour>(m_clock, settings.seed, modes.get());
    auto panel = std::make_unique<CFrontPanelBehaviour>(m_clock, states.get());
    auto restart = std::make_unique<CRestartBehaviour>(m_clock, settings.restartMs,
                                                       [this](CBusDevice& d) { RestartDevice(d, false); });
    m_states = states.get();
    m_frontPanel = panel.get();
    m_restart = restart.get();
    // Modes first: the states and the panel look at the mode after the mode hooks ran.
    Add(std::move(modes));
    Add(std::make_unique<CClockBehaviour>(m_clock, 170, 171));
    Add(std::make_unique<CLiveValuesBehaviour>(m_clock, settings.seed));
    auto levels = std::make_unique<CIlluminationLevelsBehaviour>(m_clock);
    m_levels = levels.get();
    Add(std::move(levels));
    Add(std::make_unique<CLightSceneBehaviour>(*m_levels));
    Add(std::make_unique<CPumpOutputsBehaviour>(m_clock));
    Add(std::make_unique<CDigitalInputsBehaviour>(m_clock, settings.seed));
    Add(std::make_unique<CDeviceProgrammingBehaviour>());
    Add(std::move(states));
    Add(std::move(panel));
    Add(std::move(restart));

    if (m_model.SmsModule()) {
        Add(std::make_unique<CClockBehaviour>(m_clock, kSmsTimeParameter, -1), true);
        Add(std::make_unique<CSmsModuleBehaviour>(m_model), true);
        Add(std::make_unique<CRestartBehaviour>(m_clock, settings.restartMs,
                                                [this](CBusDevice& d) { RestartDevice(d, true); }),
            true);
    }
}

CLiveController::~CLiveController()
{
    // The hooks point into the behaviours: a device that outlives this object gets back
    // the hooks it had before.
    for (const OriginalHooks& h : m_originalHooks) {
        h.device->beforeRead = h.beforeRead;
        h.device->afterWrite = h.afterWrite;
        h.device->writeCheck = h.writeCheck;
        h.device->silent = h.silent;
    }
}

void CLiveController::Add(std::unique_ptr<CDeviceBehaviour> behaviour, bool toSmsModule)
{
    CBusDevice* device = toSmsModule ? m_model.SmsModule() : &m_model.Controller();
    if (!device)
        return;
    behaviour->Attach(*device);
    (toSmsModule ? m_sms : m_controller).push_back(std::move(behaviour));
}

bool CLiveController::IsVolatile(int number, bool smsModule) const
{
    for (const auto& b : smsModule ? m_sms : m_controller)
        if (b->IsVolatile(number))
            return true;
    return false;
}

void CLiveController::RestartDevice(CBusDevice& device, bool smsModule)
{
    for (const auto& b : smsModule ? m_sms : m_controller)
        b->Restart(device);
}
