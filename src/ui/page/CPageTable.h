// SPDX-License-Identifier: GPL-3.0-or-later
// The one table of function pages: order, caption, tree group, condition and instances.
// Adding a page to the program is one row here (if it is not already listed) plus
// KORVALIS_REGISTER_PAGE in the page's own file. Rows whose class is not registered
// are skipped when the sheet builds its pages.
#pragma once

#include <QString>
#include <vector>

class CKorvalisControlApp;
class CSensor;

class CPageTable {
public:
    enum class Family { Single, PerIllumination, PerTimer, PerSensor };

    struct Row {
        const char* className;  // for PerSensor rows: unused, the class follows the sensor type
        int caption;            // catalogue string; 0 for sensor pages (the input's title)
        int group;              // catalogue string of the tree group; 0 = top level
        Family family;
        // Condition beyond the family's count; nullptr = always.
        bool (*condition)(const CKorvalisControlApp& app);
        // Chooses the class by firmware and model; nullptr = className.
        const char* (*classFor)(const CKorvalisControlApp& app);
        bool alsoDisconnected;  // part of the disconnected set too
    };

    // One page the sheet should create, in sheet order (the General page excluded).
    struct Planned {
        QString className;
        QString caption;
        QString group;
        int instance = 0;
        CSensor* sensor = nullptr;
    };

    static const std::vector<Row>& Rows();
    // The pages for the application's state: the connected set or the disconnected one.
    static std::vector<Planned> Plan(CKorvalisControlApp& app);
    // The page class for a sensor type; empty for none, type 6 and unknown types.
    static QString SensorPageClass(int sensorType);
    // "Channel 3" from "Channel" or "Channel 1" and 3: trailing digits replaced by n.
    static QString NumberedCaption(const QString& text, int n);

    // The General page: always page 0, never removed.
    static constexpr int kGeneralCaption = 154;
    static constexpr const char* kGeneralClass = "CPropertyPageGeneral";
};
