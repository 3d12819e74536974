// SPDX-License-Identifier: GPL-3.0-or-later
// The SMS module's own life in the emulator: a few alert entries with gaps between slots
// when it holds none, a modem that starts up and registers, a moving measured value, status
// bits, a count of sent messages, the PUK that unlocks a locked SIM, and the modem terminal:
// after 2056 = 1 the module hands its line to the modem (each byte echoed, "OK" to a line
// starting with AT, "ERROR" otherwise) until an escape byte returns it to the bus.
#pragma once

#include <QByteArray>
#include <cstdint>

#include "device/CDeviceBehaviour.h"

class CDeviceModel;

class CSmsModuleBehaviour : public CDeviceBehaviour {
public:
    explicit CSmsModuleBehaviour(CDeviceModel& model) : m_model(model) {}
    void Attach(CBusDevice& device) override;
    void Restart(CBusDevice& device) override;
    bool IsVolatile(int number) const override;
    bool InTerminal() const { return m_terminal; }

    // Modem states as the module reports them in 2059.
    enum { StateStarting = 1, StateRegistered = 5, StatePukNeeded = 6 };

private:
    void BeforeRead(CBusDevice& device, int number);
    void AfterWrite(CBusDevice& device, int number);
    bool Terminal(const QByteArray& in, QByteArray& out);

    CDeviceModel& m_model;
    uint32_t m_reads = 0;
    bool m_terminal = false;
    bool m_armed = false;  // switched, but the write's acknowledgement not yet fetched
    bool m_handlerInstalled = false;
    QByteArray m_line;
};
