// SPDX-License-Identifier: GPL-3.0-or-later
// The settings-file commands: save the controller's configuration, its sensor calibration or
// the SMS module's settings to a file, and write such a file back. The main window's menu and
// korvalisctl both run them; everything they ask or show goes through CTransferUi.
#pragma once

#include <QString>
#include <functional>

#include "params/CParameterArray.h"
#include "params/CSettingsComparison.h"

class CControllerAccess;
class CTransferUi;

class CSettingsCommands {
public:
    enum class Result {
        Done,       // the file was saved or the device written
        Cancelled,  // the user cancelled a dialog, a question or the transfer
        Failed,     // a file or the device failed, or the file does not fit the device
        NotRun,     // nothing to do (simulation mode, no connection)
    };
    enum class Compatibility { Accepted, Declined, Refused };

    CSettingsCommands(CControllerAccess& controller, CTransferUi& ui);

    // Enabling rules of the menu commands.
    static bool CanUseController(const CControllerAccess& controller);
    static bool CanUseSmsModule(const CControllerAccess& controller);

    // Without a path the file dialog is shown.
    Result SaveSettings(const QString& path = {});
    Result SaveSensorCalibration(const QString& path = {});
    Result SaveSmsModuleSettings(const QString& path = {});
    Result LoadSettings(const QString& path = {});
    Result LoadSmsModuleSettings(const QString& path = {});

    // Reads from the controller the file's parameters that a write could send (one bulk
    // read with progress and cancel) and compares them with the file. Writes nothing.
    Result CompareWithController(const CParameterArray& file, CSettingsComparison& out);
    // The same for a file by path (the open dialog without one).
    Result CompareFileWithController(const QString& path, CSettingsComparison& out);

    // What a load does after the comparison: write the checked rows, the whole file, or
    // nothing. Without chooseWrites a load writes the whole file without reading first.
    enum class Choice { WriteChecked, WriteAll, Cancel };
    std::function<Choice(CSettingsComparison& comparison)> chooseWrites;

    // What the last load that compared first did.
    struct LoadCounts {
        int written = 0;       // sent and acknowledged
        int leftOut = 0;       // by the firmware-version rules
        int notChosen = 0;     // differences the user did not check
        int equal = 0;         // the controller held the file's value already
        int failed = 0;        // writes that failed and were ignored
    };
    const LoadCounts& LastLoad() const { return m_lastLoad; }

    // Checks a file against the controller data read at connect; may drop the calibration
    // values from the list (another controller's sensor calibration).
    Compatibility CheckSettingsCompatibility(CParameterArray& list, bool withSerialCheck);

    // Called after a settings file has been written into the controller (also in part), so
    // that the pages read their values again.
    std::function<void()> invalidatePages;
    // Called when a restore moved the controller to another bus address (parameter 5) and
    // the current connection now uses it, so that the stored connection can follow.
    std::function<void(int address)> onBusAddressFollowed;

private:
    Result ReadAndSave(CParameterArray& list, const QString& path);
    Result WriteList(CParameterArray& list, bool toController);
    Result WriteCompared(CParameterArray& list);

    LoadCounts m_lastLoad;
    int m_lastIgnored = 0;

    CControllerAccess& m_controller;
    CTransferUi& m_ui;
};
