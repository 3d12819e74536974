// SPDX-License-Identifier: GPL-3.0-or-later
// What the connect sequence found about the controller, read-only: pages and dialogs look at
// it to show what the model has, never to change it. The application object implements it.
#pragma once

#include <array>
#include <cstdint>

#include "base/CSensor.h"

struct ModelInfo;

class CControllerView {
public:
    virtual ~CControllerView() = default;

    virtual bool IsConnected() const = 0;
    // Simulation mode: connected to no device.
    virtual bool IsSimulation() const = 0;
    // Started with the service-mode word: the test and diagnosis controls show.
    virtual bool IsServiceMode() const = 0;

    // Learned at connect: the model (null before), firmware version, serial number, whether
    // an SMS module answered, and the eight sensor inputs.
    virtual const ModelInfo* Model() const = 0;
    virtual int16_t FirmwareVersion() const = 0;
    virtual uint32_t SerialNumber() const = 0;
    virtual bool HasSmsModule() const = 0;
    virtual const std::array<CSensor, 8>& Sensors() const = 0;
    virtual uint8_t SensorType(int input) const = 0;
    // The bus address the controller answers at.
    virtual int DeviceAddress() const = 0;
};
