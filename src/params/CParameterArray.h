// SPDX-License-Identifier: GPL-3.0-or-later
// An ordered list of parameters: a parameter-list file, a settings file, or a whole
// configuration on its way between a device and a file. Lists live for one command.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "params/CParameter.h"

class CSWMBus;
class CTransferUi;
class QIODevice;

class CParameterArray {
public:
    // Results of the bulk transfers besides 0 (done) and a protocol status (> 0, the user
    // chose Abort after that failure).
    static constexpr int NoVersionParameter = -1;  // a list without parameter 0 cannot be written
    static constexpr int TransferCancelled = -3;   // the user cancelled, or the program is quitting

    // A hostile file must not exhaust memory: limits on what one file may produce.
    static constexpr int MaxBlockCount = 65536;
    // Blocks multiply lines: together they may make no more elements than there are
    // parameter numbers, so a few hostile lines cannot make hundreds of thousands.
    static constexpr int MaxBlockElements = 65536;
    // Line by line a file is bounded by its size; this is room for large generated files.
    static constexpr int MaxElements = 1 << 18;
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    enum class FileResult { Ok, Cancelled, CannotOpen, BadContent, WriteFailed, NotRegular };

    // Everything a write needs to know about its target besides the bus.
    struct WriteOptions {
        // The device's firmware version as read at connect; used when the device does not
        // answer the version read (-1: unknown, the list's version is assumed).
        int knownDeviceVersion = -1;
        // Only a write to the controller follows parameter 5 (the controller's bus address).
        bool toController = true;
        // Called after an acknowledged write of parameter 5 with the new address (0..34),
        // after the bus object has been switched to it.
        std::function<void(int address)> followAddress;
        // Sensor type of each input (for rescaling pH calibration values across 4.00).
        std::array<uint8_t, 8> sensorTypes{};
        // Numbers of the parameters whose failed write the user chose to Ignore.
        QList<int>* ignored = nullptr;
    };

    // --- the list -----------------------------------------------------------------------
    int Add(const CParameter& parameter);
    // Index access outside 0..Count()-1 throws std::out_of_range (a programming error).
    void SetAt(int index, const CParameter& parameter);
    const CParameter& At(int index) const;
    CParameter& operator[](int index);
    const CParameter& operator[](int index) const { return At(index); }
    int Count() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.isEmpty(); }
    void RemoveAt(int index);
    void RemoveAll() { m_items.clear(); }
    QList<CParameter>::const_iterator begin() const { return m_items.cbegin(); }
    QList<CParameter>::const_iterator end() const { return m_items.cend(); }

    // First element with that number; false (out untouched) when there is none.
    bool FindByNumber(uint16_t number, CParameter& out) const;
    int IndexOfNumber(uint16_t number) const;
    bool ReplaceByNumber(uint16_t number, const CParameter& parameter);

    // Any element in 10..169 or 948..979.
    bool ContainsSensorParameters() const;
    // A sensor-calibration list: sensor parameters (the two ranges above and the operating
    // times 1002+4i) and nothing besides the identification parameters. Every controller's
    // full list holds the sensor blocks too, so ContainsSensorParameters cannot tell the two
    // kinds of file apart.
    bool IsSensorCalibrationList() const;
    // Parameter 2 present and equal to 10.
    bool IsSmsModuleList() const;
    // Drops the calibration values 20*i+10 .. 20*i+13 of all eight sensor inputs.
    void RemoveCalibrationValues();

    // --- the text format -------------------------------------------------------------------
    // Clears the list, then reads the text; 0 or CParameter::LineError at the first bad line
    // (the lines before it stay in the list).
    int ReadText(QByteArrayView text);
    int ReadTextFile(QIODevice& file);
    // Every element's line in order; nothing else.
    QByteArray FormatText() const;
    // 0, or -1 when the device did not take every byte.
    int WriteTextFile(QIODevice& file) const;

    // Without a path the file dialogs are shown first. Saving replaces the file atomically:
    // a failed write leaves the previous file as it was. Failures to create or write show
    // message 170, a file that cannot be parsed message 171; an open failure is silent.
    FileResult SaveToFile(CTransferUi& ui, const QString& path = {}) const;
    FileResult LoadFromFile(CTransferUi& ui, const QString& path = {});
    // The same without dialogs and messages.
    FileResult SaveToPath(const QString& path) const;
    FileResult LoadFromPath(const QString& path);

    // --- parameter-list files --------------------------------------------------------------
    // "ParaList_V" + version + the model's suffix + ".def".
    static QString ListFileName(int version, int productCode);
    static QString ListFilePath(const QString& folder, int version, int productCode);
    // Loads the parameter list shipped for a device (defaults of its configuration).
    FileResult LoadParameterList(const QString& folder, int productCode, int version);

    // --- transfers -----------------------------------------------------------------------
    // Builds the sensor-calibration list, reading the eight sensor types through the bus
    // (address as set). An input whose type cannot be read counts as not fitted.
    void BuildSensorList(CSWMBus& bus);
    // Reads every element from the device at the bus's current address. Returns 0, the
    // failing status after Abort, or TransferCancelled. Indices of the elements the user
    // chose to Ignore are appended to ignored (their values were not read).
    int ReadAllFromController(CSWMBus& bus, CTransferUi& ui, QList<int>* ignored = nullptr);
    // Writes every element to the device at the bus's current address, applying the
    // firmware-version rules. Returns 0, NoVersionParameter, the failing status after
    // Abort, or TransferCancelled.
    int WriteAllToController(CSWMBus& bus, CTransferUi& ui, const WriteOptions& options);

    // Firmware versions at which parameters changed meaning, and whether a number is left
    // out when a write crosses that threshold.
    static const std::array<int, 6>& VersionThresholds();
    static bool IsLeftOutAt(int threshold, uint16_t number);
    // Whether a write of a list of listVersion into a device of deviceVersion leaves it out.
    static bool IsLeftOutBetween(uint16_t number, int listVersion, int deviceVersion);
    // Whether such a write rescales the pH values of this list (it crosses 4.00).
    bool RescalesAcross400(int listVersion, int deviceVersion) const;
    // pH calibration values of the inputs whose type is pH: x10 going up to 4.00 or later,
    // /10 going down.
    void RescalePhValues(bool up, const std::array<uint8_t, 8>& sensorTypes);
    static bool Crosses(int threshold, int versionA, int versionB)
    {
        return (versionA < threshold) != (versionB < threshold);
    }

    bool operator==(const CParameterArray& other) const { return m_items == other.m_items; }

private:
    void CheckIndex(int index) const;

    QList<CParameter> m_items;
};
