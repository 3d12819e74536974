// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CSwitchFunction.h"

#include <algorithm>

#include "app/CKorvalisControlApp.h"
#include "base/CSensor.h"
#include "base/ModelInfo.h"
#include "base/SensorTypeInfo.h"
#include "lang/CLanguage.h"

namespace {
// Names of codes 0..31 (0 = none); sensor codes carry their condition string.
constexpr int kNames[32] = {
    StringId(258), StringId(369), 0,   0,   StringId(248), StringId(384), StringId(241),
    StringId(366), StringId(275), StringId(323), StringId(462), StringId(464), StringId(465),
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    StringId(393), StringId(144), StringId(373), StringId(387), StringId(242), StringId(388),
    StringId(368), StringId(389)};

bool WarmInput(int type) {
    return type == SensorTypeInfo::Temperature || type == SensorTypeInfo::AirTemperature;
}
}  // namespace

uint16_t CSwitchFunction::Compose(uint32_t old, int code, int index, int value, bool marker) {
    const uint32_t v = static_cast<uint32_t>(std::clamp(value, 0, kMaxValue));
    uint32_t word = (old & 0x0100u) | (static_cast<uint32_t>(code) & 0x1F) |
                    ((static_cast<uint32_t>(index) & 0x07) << 5) | (v << 9);
    if (marker) word |= 0x8000u;
    return static_cast<uint16_t>(word);
}

bool CSwitchFunction::IsSensorCode(int code) {
    return code == 2 || code == 3 || code == 4 || code == 5 || code == 11;
}

int CSwitchFunction::IndexCount(int code, const ModelInfo* model) {
    switch (code) {
        case 0: return model ? model->illuminationChannels : 0;
        case 1: return model ? model->timers : 0;
        case 6: return model ? model->levelChannels : 0;
        case 7: return 4;
        case 8: return model ? model->dosingPumps : 0;
        case 9: return 8;
        case 10: return 4;
        case 12: return 4;
        case 13: case 14: case 15: return 8;
        default: return 0;
    }
}

int CSwitchFunction::NameString(int code) {
    return code >= 0 && code < 32 ? kNames[code] : 0;
}

std::vector<CSwitchFunction::Item> CSwitchFunction::Offered(int productCode, int firmware) {
    std::vector<Item> items{{StringId(258), 0}, {StringId(369), 1}};
    if (productCode == 3 || productCode == 4 || productCode == 8) items.push_back({StringId(241), 6});
    items.insert(items.end(), {{StringId(366), 7}, {StringId(275), 8}, {StringId(323), 9}, {StringId(462), 10}});
    if (firmware >= 408) items.push_back({StringId(465), 12});
    if (firmware >= 403) items.push_back({StringId(373), 26});
    items.insert(items.end(), {{StringId(387), 27}, {StringId(242), 28}, {StringId(388), 29},
                               {StringId(368), 30}, {StringId(389), 31}, {StringId(144), 25},
                               {StringId(393), 24}});
    return items;
}

std::vector<CSwitchFunction::Item> CSwitchFunction::Conditions(int sensorType) {
    if (sensorType == SensorTypeInfo::Temperature)
        return {{StringId(244), 2}, {StringId(246), 3}, {StringId(248), 4}, {StringId(464), 11}, {StringId(384), 5}};
    if (sensorType == SensorTypeInfo::AirTemperature)
        return {{StringId(244), 2}, {StringId(246), 3}, {StringId(384), 5}};
    return {{StringId(245), 2}, {StringId(247), 3}, {StringId(384), 5}};
}

QString CSwitchFunction::Text(int code, int index, bool marker, const std::array<CSensor, 8>& sensors) {
    code &= 0x1F;
    index &= 0x07;
    QString text;
    if (IsSensorCode(code)) {
        const CSensor& input = sensors[static_cast<size_t>(index)];
        int condition = kNames[code];
        if (code == 2) condition = WarmInput(input.type) ? StringId(244) : StringId(245);
        if (code == 3) condition = WarmInput(input.type) ? StringId(246) : StringId(247);
        // An input the controller has no sensor on has no title: name it by its number.
        const QString title = input.type != 0 && !input.title.isEmpty()
                                  ? input.title
                                  : QStringLiteral("%1 %2").arg(Tr(36210)).arg(index + 1);
        text = title + QLatin1Char(' ') + Tr(condition);
    } else if (IsSingle(code)) {
        text = Tr(kNames[code]);
    } else if (code <= 12) {
        text = Tr(kNames[code]) + QLatin1Char(' ') + QString::number(index + 1);
    } else if (code <= 15) {
        text = QLatin1Char(' ') + QString::number(index + 1);
    }
    if (marker) text += QStringLiteral(" [") + Tr(327) + QLatin1Char(']');
    return text;
}

QString SwitchFunctionText(int code, int index, bool marker) {
    return CSwitchFunction::Text(code, index, marker, CKorvalisControlApp::Instance().Sensors());
}
