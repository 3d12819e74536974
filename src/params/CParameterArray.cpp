// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SensorParameters.h"
#include "base/SaturatingCast.h"
#include "params/CParameterArray.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "base/CRegularFile.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "link/CSWMBus.h"
#include "params/CTransferUi.h"
#include "params/ParameterText.h"

namespace {
using Icon = CUserInteraction::Icon;
using Buttons = CUserInteraction::Buttons;

constexpr uint16_t kVersionNumber = 0;
constexpr uint16_t kProductCodeNumber = 2;
constexpr uint16_t kSerialNumber = 6;
constexpr uint16_t kBusAddressNumber = 5;
// The sensor blocks of the eight inputs; each input's operating time travels with its block.
bool IsSensorBlockNumber(uint16_t n)
{
    return SensorParameters::IsBlockNumber(n);
}

bool IsOperatingTimeNumber(uint16_t n)
{
    return SensorParameters::IsOperatingTime(n);
}

int Truncated(double value)
{
    // Beyond the range of int the value is no version or number this program knows.
    if (!std::isfinite(value) || std::fabs(value) > 2147483647.0) return 0;
    return SaturatingCast<int>(value);
}

// The window's bar has at most 65535 steps.
int ProgressPos(int done, int count)
{
    return count <= 65535 ? done : static_cast<int>(static_cast<int64_t>(done) * 65535 / count);
}

// Keeps the element's address on the bus whatever ran between two elements (a window
// message handler may have addressed the SMS module, say).
void Address(CSWMBus& bus, uint8_t address)
{
    bus.SetDeviceAddress(address);
}
}  // namespace

// --- the list ---------------------------------------------------------------------------------

void CParameterArray::CheckIndex(int index) const
{
    if (index < 0 || index >= Count()) throw std::out_of_range("CParameterArray index out of range");
}

int CParameterArray::Add(const CParameter& parameter)
{
    m_items.append(parameter);
    return Count() - 1;
}

void CParameterArray::SetAt(int index, const CParameter& parameter)
{
    CheckIndex(index);
    m_items[index] = parameter;
}

const CParameter& CParameterArray::At(int index) const
{
    CheckIndex(index);
    return m_items.at(index);
}

CParameter& CParameterArray::operator[](int index)
{
    CheckIndex(index);
    return m_items[index];
}

void CParameterArray::RemoveAt(int index)
{
    CheckIndex(index);
    m_items.removeAt(index);
}

int CParameterArray::IndexOfNumber(uint16_t number) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[i].Number == number) return i;
    return -1;
}

bool CParameterArray::FindByNumber(uint16_t number, CParameter& out) const
{
    const int i = IndexOfNumber(number);
    if (i < 0) return false;
    out = m_items[i];
    return true;
}

bool CParameterArray::ReplaceByNumber(uint16_t number, const CParameter& parameter)
{
    const int i = IndexOfNumber(number);
    if (i < 0) return false;
    m_items[i] = parameter;
    return true;
}

bool CParameterArray::ContainsSensorParameters() const
{
    for (const CParameter& p : m_items)
        if (IsSensorBlockNumber(p.Number)) return true;
    return false;
}

bool CParameterArray::IsSensorCalibrationList() const {
    bool sensor = false;
    for (const CParameter& p : m_items) {
        const uint16_t n = p.Number;
        if (n == kVersionNumber || n == kProductCodeNumber || n == kSerialNumber) continue;
        if (!IsSensorBlockNumber(n) && !IsOperatingTimeNumber(n)) return false;
        sensor = true;
    }
    return sensor;
}

bool CParameterArray::IsSmsModuleList() const
{
    CParameter p;
    return FindByNumber(kProductCodeNumber, p) && p.Value == ModelInfo::SmsModuleProductCode;
}

void CParameterArray::RemoveCalibrationValues()
{
    m_items.removeIf([](const CParameter& p) { return p.Number >= 10 && p.Number <= 153 && (p.Number - 10) % 20 < 4; });
}

// --- the text format --------------------------------------------------------------------------

int CParameterArray::ReadText(QByteArrayView text)
{
    using namespace ParameterText;
    m_items.clear();
    bool inBlock = false;
    int64_t count = 1;
    int64_t blockElements = 0;
    int64_t step = 1;

    const char* data = text.data();
    const qsizetype size = text.size();
    qsizetype pos = 0;
    while (pos < size) {
        const void* nl = std::memchr(data + pos, '\n', static_cast<size_t>(size - pos));
        const qsizetype end = nl ? static_cast<const char*>(nl) - data : size;
        const QByteArrayView line = Trim(text.sliced(pos, end - pos));
        pos = end + 1;
        if (line.isEmpty()) continue;
        if (line == "[STARTBLOCK]") {
            inBlock = true;
            count = 1;
            step = 1;
            continue;
        }
        if (inBlock && line == "[ENDBLOCK]") {
            inBlock = false;
            continue;
        }
        if (inBlock && line.indexOf('=') > 0) {
            QByteArray setting;
            setting.reserve(line.size());
            for (char c : line)
                if (!IsBlank(c)) setting.append(c);
            const qsizetype eq = setting.indexOf('=');
            const QByteArrayView key = QByteArrayView(setting).first(eq);
            const QByteArrayView value = QByteArrayView(setting).sliced(eq + 1);
            if (key == "BLOCKCOUNT") {
                count = ReadDecimal(value);
                if (count > MaxBlockCount) return CParameter::LineError;
            }
            else if (key == "BLOCKSIZE") {
                step = ReadDecimal(value);
            }
            continue;
        }

        CParameter parameter;
        const int error = parameter.ParseLine(line);
        if (error != 0) return error;
        if (!inBlock) {
            if (Count() >= MaxElements) return CParameter::LineError;
            m_items.append(parameter);
            continue;
        }
        if (count <= 0) continue;
        blockElements += count;
        if (blockElements > MaxBlockElements || Count() + count > MaxElements) return CParameter::LineError;
        const QString base = parameter.Name + QLatin1String(" - ");
        for (int64_t k = 0; k < count; ++k) {
            CParameter copy = parameter;
            copy.Name = base + QString::number(k);
            copy.Number = static_cast<uint16_t>(
                (static_cast<uint64_t>(parameter.Number) + static_cast<uint64_t>(k) * static_cast<uint64_t>(step)) &
                0xFFFFu);
            m_items.append(copy);
        }
    }
    return 0;
}

int CParameterArray::ReadTextFile(QIODevice& file)
{
    const QByteArray content = file.read(MaxFileSize + 1);
    if (content.size() > MaxFileSize) {
        m_items.clear();
        return CParameter::LineError;
    }
    return ReadText(content);
}

QByteArray CParameterArray::FormatText() const
{
    QByteArray out;
    out.reserve(Count() * 40);
    for (const CParameter& p : m_items) p.AppendLine(out);
    return out;
}

int CParameterArray::WriteTextFile(QIODevice& file) const
{
    const QByteArray text = FormatText();
    return file.write(text) == text.size() ? 0 : -1;
}

CParameterArray::FileResult CParameterArray::SaveToPath(const QString& path) const
{
    // A device node or FIFO is refused rather than replaced; a link keeps its place.
    const QString target = CRegularFile::SaveTarget(path);
    if (target.isEmpty()) return FileResult::NotRegular;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) return FileResult::CannotOpen;
    if (WriteTextFile(file) != 0) {
        file.cancelWriting();
        return FileResult::WriteFailed;
    }
    return file.commit() ? FileResult::Ok : FileResult::WriteFailed;
}

CParameterArray::FileResult CParameterArray::LoadFromPath(const QString& path)
{
    QFile file(path);
    if (!CRegularFile::OpenForReading(file)) return FileResult::CannotOpen;
    return ReadTextFile(file) == 0 ? FileResult::Ok : FileResult::BadContent;
}

CParameterArray::FileResult CParameterArray::SaveToFile(CTransferUi& ui, const QString& path) const
{
    QString target = path;
    if (target.isEmpty()) {
        const QString defaultName = IsSmsModuleList()           ? Tr(374)
                                    : IsSensorCalibrationList() ? Tr(187)
                                                                : Tr(186);
        target = ui.GetSaveFileName(defaultName, QStringLiteral("par"), Tr(227));
        if (target.isEmpty()) return FileResult::Cancelled;
    }
    const FileResult result = SaveToPath(target);
    if (result != FileResult::Ok)
        ui.ShowMessage(result == FileResult::NotRegular ? 6202 : 170, Icon::Stop, Buttons::Ok,
                       {QDir::toNativeSeparators(target)});
    return result;
}

CParameterArray::FileResult CParameterArray::LoadFromFile(CTransferUi& ui, const QString& path)
{
    QString source = path;
    if (source.isEmpty()) {
        source = ui.GetOpenFileName(Tr(227));
        if (source.isEmpty()) return FileResult::Cancelled;
    }
    const FileResult result = LoadFromPath(source);
    if (result == FileResult::BadContent)
        ui.ShowMessage(171, Icon::Stop, Buttons::Ok, {QDir::toNativeSeparators(source)});
    return result;
}

// --- parameter-list files ---------------------------------------------------------------------

QString CParameterArray::ListFileName(int version, int productCode)
{
    return QStringLiteral("ParaList_V%1%2.def").arg(version).arg(ModelInfo::ListSuffix(productCode));
}

QString CParameterArray::ListFilePath(const QString& folder, int version, int productCode)
{
    const QString name = ListFileName(version, productCode);
    if (folder.isEmpty()) return name;
    return folder + QLatin1Char('/') + name;
}

CParameterArray::FileResult CParameterArray::LoadParameterList(const QString& folder, int productCode, int version)
{
    return LoadFromPath(ListFilePath(folder, version, productCode));
}

// --- transfers --------------------------------------------------------------------------------

void CParameterArray::BuildSensorList(CSWMBus& bus)
{
    m_items.clear();
    Add(CParameter(kVersionNumber, QStringLiteral("CODE_SOFTWAREVERSION"), 0));
    Add(CParameter(kProductCodeNumber, QStringLiteral("CODE_PRODUCTID"), 0));
    Add(CParameter(kSerialNumber, QStringLiteral("CODE_SERIALNUMBER"), 0));
    for (int i = 0; i < 8; ++i) {
        using SensorParameters::Number;
        if (bus.Read(static_cast<int16_t>(Number(i, SensorParameters::Type))) != CSWMBus::Ok ||
            bus.GetUnsignedValue() == 0)
            continue;
        for (int j = 0; j < 24; ++j) {
            if (j == 15) continue;
            // Settings 10 .. 29 of the first block, then 948 .. 951.
            const int number = Number(i, j < 20 ? 10 + j : 928 + j);
            Add(CParameter(static_cast<uint16_t>(number), QStringLiteral("CODE_SENSORPARA%1ITEM%2").arg(i).arg(j), 0));
        }
        Add(CParameter(static_cast<uint16_t>(Number(i, SensorParameters::OperatingTime)),
                       QStringLiteral("CODE_SENSORPARA%1_OHM%1").arg(i), 0));
    }
}

int CParameterArray::ReadAllFromController(CSWMBus& bus, CTransferUi& ui, QList<int>* ignored)
{
    bool cancel = false;
    std::unique_ptr<CTransferProgress> window = ui.OpenProgressWindow(&cancel);
    window->SetCaption(Tr(344));
    window->SetRange(ProgressPos(Count(), Count()));
    const uint8_t address = bus.GetDeviceAddress();

    for (int i = 0; i < Count(); ++i) {
        if (!ui.PumpPendingMessages()) cancel = true;
        if (cancel) {
            window.reset();
            return TransferCancelled;
        }
        window->SetPos(ProgressPos(i + 1, Count()));
        CParameter copy = m_items[i];
        window->SetItemText(copy.Name);
        for (int failures = 1;; ++failures) {
            Address(bus, address);
            const uint16_t status = copy.ReadFromController(bus);
            if (status == CSWMBus::Ok) break;
            // With the channel gone every further parameter fails the same way; asking (or
            // ignoring) per parameter would only turn a lost link into a long list of errors.
            if (status == CSWMBus::NoChannel) return status;
            const int answer = ui.AskTransferFailure(StringId(124), copy, status, failures);
            if (answer == CUserInteraction::IdRetry) continue;
            if (answer == CUserInteraction::IdIgnore) {
                if (ignored) ignored->append(i);
                break;
            }
            window.reset();
            return status;
        }
        m_items[i] = copy;
    }
    window.reset();
    return 0;
}

const std::array<int, 6>& CParameterArray::VersionThresholds()
{
    static const std::array<int, 6> kThresholds = {300, 306, 400, 406, 407, 408};
    return kThresholds;
}

bool CParameterArray::IsLeftOutAt(int threshold, uint16_t n)
{
    switch (threshold) {
    case 300:
        return (n >= 207 && n <= 431 && (n - 207) % 32 == 0) || (n >= 662 && n <= 680 && (n - 662) % 3 == 0) ||
               (n >= 683 && n <= 699) || (n >= 819 && n <= 827);
    case 400: return n == 767 || (n >= 812 && n <= 815);
    case 406: return n == 735 || n == 790 || n == 791;
    case 407: return n == 495 || n == 713;
    case 408: return n >= 760 && n <= 769;
    default: return false;
    }
}

bool CParameterArray::IsLeftOutBetween(uint16_t number, int listVersion, int deviceVersion)
{
    for (int threshold : VersionThresholds())
        if (Crosses(threshold, listVersion, deviceVersion) && IsLeftOutAt(threshold, number)) return true;
    return false;
}

bool CParameterArray::RescalesAcross400(int listVersion, int deviceVersion) const
{
    return ContainsSensorParameters() && Crosses(400, listVersion, deviceVersion);
}

void CParameterArray::RescalePhValues(bool up, const std::array<uint8_t, 8>& sensorTypes)
{
    // pH values are kept in hundredths from 4.00 on, in tenths before.
    for (int k = 0; k < 8; ++k) {
        if (sensorTypes[static_cast<size_t>(k)] != 2) continue;
        for (int offset : {10, 11, 15, 18}) {
            const auto number = static_cast<uint16_t>(SensorParameters::Number(k, offset));
            CParameter p;
            if (!FindByNumber(number, p) || p.Kind != CParameter::NumericKind) continue;
            p.Value = up ? p.Value * 10.0 : std::trunc(p.Value / 10.0);
            ReplaceByNumber(number, p);
        }
    }
}

int CParameterArray::WriteAllToController(CSWMBus& bus, CTransferUi& ui, const WriteOptions& options)
{
    bool cancel = false;
    std::unique_ptr<CTransferProgress> window = ui.OpenProgressWindow(&cancel);
    window->SetCaption(Tr(345));
    window->SetRange(ProgressPos(Count(), Count()));
    uint8_t address = bus.GetDeviceAddress();

    CParameter version;
    if (!FindByNumber(kVersionNumber, version)) {
        window.reset();
        return NoVersionParameter;
    }
    const int listVersion = Truncated(version.Value);
    // The thresholds belong to the controller's firmware. In the SMS module the same numbers
    // (760, 790, ...) are its own entries, so a list written there is written whole.
    std::array<bool, 6> crossed{};
    if (options.toController) {
        int deviceVersion =
            options.knownDeviceVersion >= 0 ? options.knownDeviceVersion : listVersion;
        Address(bus, address);
        if (version.ReadFromController(bus) == CSWMBus::Ok)
            deviceVersion = Truncated(version.Value);
        for (size_t t = 0; t < crossed.size(); ++t)
            crossed[t] = Crosses(VersionThresholds()[t], listVersion, deviceVersion);
    }
    const auto isCrossed = [&](int threshold) {
        for (size_t t = 0; t < crossed.size(); ++t)
            if (VersionThresholds()[t] == threshold) return crossed[t];
        return false;
    };

    // A full backup holds settings and the sensor blocks: it gets the settings' messages and
    // the pH rescaling both, or its pH values would arrive ten times off.
    if (!IsSensorCalibrationList()) {
        if (isCrossed(300)) ui.ShowMessage(305, Icon::Information, Buttons::Ok);
        if (isCrossed(306)) ui.ShowMessage(304, Icon::Information, Buttons::Ok);
        if (isCrossed(400)) ui.ShowMessage(333, Icon::Information, Buttons::Ok);
        if (isCrossed(408)) ui.ShowMessage(471, Icon::Information, Buttons::Ok);
    }
    if (ContainsSensorParameters() && isCrossed(400)) {
        ui.ShowMessage(331, Icon::Information, Buttons::Ok);
        RescalePhValues(listVersion < 400, options.sensorTypes);
    }

    for (int i = 0; i < Count(); ++i) {
        if (!ui.PumpPendingMessages()) cancel = true;
        if (cancel) {
            window.reset();
            return TransferCancelled;
        }
        window->SetPos(ProgressPos(i + 1, Count()));
        const CParameter copy = m_items[i];
        window->SetItemText(copy.Name);

        bool leftOut = false;
        for (size_t t = 0; t < crossed.size(); ++t)
            leftOut = leftOut || (crossed[t] && IsLeftOutAt(VersionThresholds()[t], copy.Number));
        if (leftOut) continue;

        bool written = false;
        for (int failures = 1;; ++failures) {
            Address(bus, address);
            const uint16_t status = copy.WriteToController(bus);
            if (status == CSWMBus::Ok) {
                written = !copy.IsIdentification();
                break;
            }
            if (status == CSWMBus::NoChannel) return status;
            const int answer = ui.AskTransferFailure(StringId(120), copy, status, failures);
            if (answer == CUserInteraction::IdRetry) continue;
            if (answer == CUserInteraction::IdIgnore) {
                if (options.ignored) options.ignored->append(copy.Number);
                break;
            }
            window.reset();
            return status;
        }

        // The controller now answers at the address it was given; follow it, but only once
        // it has confirmed the write, and never for a list sent to the SMS module.
        if (written && options.toController && copy.Number == kBusAddressNumber &&
            copy.Kind == CParameter::NumericKind) {
            const int newAddress = Truncated(copy.Value);
            if (newAddress >= 0 && newAddress <= 34 && bus.SetDeviceAddress(static_cast<uint8_t>(newAddress))) {
                address = static_cast<uint8_t>(newAddress);
                if (options.followAddress) options.followAddress(newAddress);
            }
        }
    }
    window.reset();
    return 0;
}
