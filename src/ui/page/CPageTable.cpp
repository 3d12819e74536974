// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CPageTable.h"

#include "app/CKorvalisControlApp.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"

namespace {
using F = CPageTable::Family;

bool Firmware402(const CKorvalisControlApp& app) {
    return app.FirmwareVersion() >= 402;
}
bool Firmware405(const CKorvalisControlApp& app) {
    return app.FirmwareVersion() >= 405;
}
bool Firmware408(const CKorvalisControlApp& app) {
    return app.FirmwareVersion() >= 408;
}
bool HasLevelChannels(const CKorvalisControlApp& app) {
    return app.Model() && app.Model()->levelChannels != 0;
}
bool ServiceMode(const CKorvalisControlApp& app) {
    return app.serviceMode;
}
bool SmsModule(const CKorvalisControlApp& app) {
    return app.HasSmsModule();
}

const char* LevelClass(const CKorvalisControlApp& app) {
    return app.FirmwareVersion() >= 408 ? "CPropertyPageLevel408" : "CPropertyPageLevel304";
}
}  // namespace

const std::vector<CPageTable::Row>& CPageTable::Rows() {
    // clang-format off
    static const std::vector<Row> rows = {
        {"CPropertyPageIllumination",          StringId(258), StringId(258), F::PerIllumination, nullptr, nullptr, false},
        {"CPropertyPageSimulation",            StringId(155), StringId(258), F::Single, nullptr, nullptr, false},
        {"CPropertyPageThunderstorm",          StringId(144), StringId(258), F::Single, nullptr, nullptr, false},
        {"CPropertyPageLightScenes",           StringId(156), StringId(258), F::Single, nullptr, nullptr, false},
        {"CPropertyPageDimmCurves",            StringId(263), StringId(258), F::Single, nullptr, nullptr, false},
        {"CPropertyPageTempDepLightRed",       StringId(135), StringId(258), F::Single, nullptr, nullptr, false},
        {"CPropertyPageSpecialLamp",           StringId(349), StringId(258), F::Single, Firmware402, nullptr, false},
        {"CPropertyPageVariableIllumination",  StringId(462), StringId(258), F::Single, Firmware405, nullptr, false},
        {"CPropertyPageTimers305",             StringId(369), StringId(225), F::PerTimer, nullptr, nullptr, false},
        {"CPropertyPageMemories",              StringId(158), StringId(225), F::Single, nullptr, nullptr, false},
        {"CPropertyPagePumps306",              StringId(161), StringId(226), F::Single, nullptr, nullptr, false},
        {"CPropertyPageDosingPumps",           StringId(276), StringId(226), F::Single, nullptr, nullptr, false},
        {"CPropertyPageMaintenance",           StringId(393), StringId(226), F::Single, nullptr, nullptr, false},
        {"",                                   0,             StringId(184), F::PerSensor, nullptr, nullptr, false},
        {"CPropertyPageLevel408",              StringId(181), StringId(184), F::Single, HasLevelChannels, LevelClass, false},
        {"CPropertyPageSensorOverview",        StringId(193), StringId(184), F::Single, nullptr, nullptr, false},
        {"CPropertyPageMeasurement",           StringId(163), StringId(184), F::Single, nullptr, nullptr, false},
        {"CPropertyPageSWMBus",                StringId(167), 0,             F::Single, ServiceMode, nullptr, false},
        {"CPropertyPageDisplay",               StringId(183), 0,             F::Single, nullptr, nullptr, false},
        {"CPropertyPageRemote",                StringId(145), 0,             F::Single, nullptr, nullptr, false},
        {"CPropertyPageSystem",                StringId(280), 0,             F::Single, nullptr, nullptr, false},
        {"CPropertyPageSwitchplugFunctions300",StringId(159), StringId(280), F::Single, nullptr, nullptr, false},
        {"CPropertyPageOneToTenVInterface300", StringId(160), StringId(280), F::Single, nullptr, nullptr, false},
        {"CPropertyPageDigitalInput",          StringId(465), StringId(280), F::Single, Firmware408, nullptr, false},
        {"CPropertyPageProgLogic",             StringId(323), 0,             F::Single, nullptr, nullptr, false},
        {"CPropertyPageSMSModule",             StringId(374), 0,             F::Single, SmsModule, nullptr, false},
        {"CPropertyPageEmail",                 StringId(308), 0,             F::Single, nullptr, nullptr, true},
    };
    // clang-format on
    return rows;
}

QString CPageTable::SensorPageClass(int sensorType) {
    switch (sensorType) {
        case 1:
            return QStringLiteral("CPropertyPageTemperature");
        case 2:
            return QStringLiteral("CPropertyPagepHValue");
        case 3:
            return QStringLiteral("CPropertyPageRedox");
        case 4:
            return QStringLiteral("CPropertyPageCondF");
        case 5:
            return QStringLiteral("CPropertyPageCondS");
        case 7:
            return QStringLiteral("CPropertyPageHumidity");
        case 8:
            return QStringLiteral("CPropertyPageAirtemperature");
        case 9:
            return QStringLiteral("CPropertyPageOxygen");
        case 10:
            return QStringLiteral("CPropertyPageVoltage");
        default:
            return {};
    }
}

QString CPageTable::NumberedCaption(const QString& text, int n) {
    QString caption = text;
    while (!caption.isEmpty() && caption.back().isDigit() && caption.back().unicode() < 128)
        caption.chop(1);
    if (!caption.endsWith(QLatin1Char(' '))) caption += QLatin1Char(' ');
    return caption + QString::number(n);
}

std::vector<CPageTable::Planned> CPageTable::Plan(CKorvalisControlApp& app) {
    std::vector<Planned> plan;
    const bool connected = app.IsConnected();
    for (const Row& row : Rows()) {
        if (!connected && !row.alsoDisconnected) continue;
        if (connected && row.condition && !row.condition(app)) continue;
        const QString group = row.group ? Tr(row.group) : QString();
        const QString cls = QLatin1String(row.classFor ? row.classFor(app) : row.className);
        int count = 1;
        switch (row.family) {
            case Family::Single:
                break;
            case Family::PerIllumination:
                count = app.Model() ? app.Model()->illuminationChannels : 0;
                break;
            case Family::PerTimer:
                count = app.Model() ? app.Model()->timers : 0;
                break;
            case Family::PerSensor:
                for (int i = 0; i < 8; ++i) {
                    CSensor& sensor = app.SensorInput(i);
                    const QString sensorClass = SensorPageClass(sensor.type);
                    if (sensorClass.isEmpty()) continue;
                    plan.push_back({sensorClass, sensor.title, group, i, &sensor});
                }
                continue;
        }
        for (int i = 0; i < count; ++i) {
            const QString caption = row.family == Family::Single
                                        ? Tr(row.caption)
                                        : NumberedCaption(Tr(row.caption), i + 1);
            plan.push_back({cls, caption, group, i, nullptr});
        }
    }
    return plan;
}
