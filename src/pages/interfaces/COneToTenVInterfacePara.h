// SPDX-License-Identifier: GPL-3.0-or-later
// One 1-10 V interface: its voltage range in volts, its source byte and the user's name.
// Source byte: bits 0-4 source code, bits 5-7 index (0-based); bit 4 clear marks a source
// with an index. The byte comes from the device, so every part of it is masked before use.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

class CSensor;

class COneToTenVInterfacePara {
public:
    enum Source { Illumination = 0, Pump = 1, SensorInput = 2, VariableIllumination = 3, Single = 31 };
    // Editor items of sensor inputs: 32 + input.
    static constexpr int kSensorData = 32;
    static constexpr double kLowerMin = 0, kLowerMax = 4, kUpperMin = 6, kUpperMax = 10;

    COneToTenVInterfacePara() = default;
    COneToTenVInterfacePara(const COneToTenVInterfacePara&) = default;
    COneToTenVInterfacePara& operator=(const COneToTenVInterfacePara&) = default;
    virtual ~COneToTenVInterfacePara() = default;

    static int Code(uint8_t source) { return source & 0x1F; }
    static int Index(uint8_t source) { return (source >> 5) & 0x07; }
    static bool HasIndex(uint8_t source) { return (source & 0x10) == 0; }
    static uint8_t Compose(int code, int index) {
        return static_cast<uint8_t>((code & 0x1F) | ((index & 0x07) << 5));
    }
    // How the source is listed; empty for a byte that names no source.
    static QString SourceText(uint8_t source, const std::array<CSensor, 8>& sensors);

    double lowerVoltage = 0;
    double upperVoltage = 0;
    uint8_t source = 0;
    QString name;
};
