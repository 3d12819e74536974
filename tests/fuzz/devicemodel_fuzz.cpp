// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes from a PC into the device side of the bus (the emulator's frame parser),
// with the running behaviours attached: no crash, no hang, bounded memory.
//
// Input layout: byte 0 chooses the set-up (SMS module, firmware, faults), byte 1 the chunk
// size the rest is fed in; every chunk also moves the device clock on a little.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "device/CControllerDefaults.h"
#include "device/CDeviceModel.h"
#include "device/CLiveController.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t setup = data[0];
    const size_t chunk = 1 + data[1] % 64;
    data += 2;
    size -= 2;

    CDeviceModel::Options options;
    options.sms = setup & 1;
    options.firmware = setup & 2 ? 404 : 408;
    options.productCode = 2 + (setup >> 5) % 7;
    CDeviceModel model(options);
    model.SetLogEnabled(false);
    CControllerDefaults::Apply(model.Controller());
    CDeviceModel::Faults faults;
    if (setup & 4)
        faults.garbleRate = 0.5;
    if (setup & 8)
        faults.dropRate = 0.5;
    if (setup & 16)
        faults.closeAfterFrames = 5;
    faults.refuse.insert(15);
    model.SetFaults(faults);
    CLiveController::Settings settings;
    settings.manualClock = true;
    settings.timeScale = 60.0;
    settings.restartMs = 50;
    CLiveController live(model, settings);

    size_t answered = 0;
    for (size_t at = 0; at < size; at += chunk) {
        const size_t n = size - at < chunk ? size - at : chunk;
        const QByteArray answer = model.Feed(QByteArray(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(n)));
        answered += static_cast<size_t>(answer.size());
        live.Clock().Advance(7);
        if (model.LinkClosed())
            model.ResetLink();
    }
    // Every answer is a short frame for some request: never more than the input could ask.
    if (answered > 64 * (size + 1))
        __builtin_trap();
    return 0;
}
