// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CSettingsCommands.h"
#include "base/SaturatingCast.h"

#include <QDir>
#include <algorithm>
#include <cmath>

#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "link/CConnection.h"
#include "link/CFrameCodec.h"
#include "link/CSWMBus.h"
#include "params/CControllerAccess.h"
#include "params/CTransferUi.h"

namespace {
using Icon = CUserInteraction::Icon;
using Buttons = CUserInteraction::Buttons;
using Result = CSettingsCommands::Result;

Result FromFileResult(CParameterArray::FileResult r)
{
    switch (r) {
    case CParameterArray::FileResult::Ok: return Result::Done;
    case CParameterArray::FileResult::Cancelled: return Result::Cancelled;
    default: return Result::Failed;
    }
}
}  // namespace

CSettingsCommands::CSettingsCommands(CControllerAccess& controller, CTransferUi& ui)
    : m_controller(controller), m_ui(ui)
{
}

bool CSettingsCommands::CanUseController(const CControllerAccess& controller)
{
    return controller.IsConnected();
}

bool CSettingsCommands::CanUseSmsModule(const CControllerAccess& controller)
{
    return controller.IsConnected() && controller.HasSmsModule();
}

Result CSettingsCommands::ReadAndSave(CParameterArray& list, const QString& path)
{
    QList<int> ignored;
    const int result = list.ReadAllFromController(*m_controller.Bus(), m_ui, &ignored);
    if (result == CParameterArray::TransferCancelled) {
        m_ui.ShowMessage(6100, Icon::Information, Buttons::Ok);
        return Result::Cancelled;
    }
    if (result == CSWMBus::NoChannel) {
        m_ui.ShowMessage(6200, Icon::Stop, Buttons::Ok);
        return Result::Failed;
    }
    if (result != 0) {
        // The list still holds the list file's defaults for whatever was not read; saved, it
        // would later restore those defaults into the controller.
        m_ui.ShowMessage(173, Icon::Stop, Buttons::Ok);
        m_ui.ShowMessage(6101, Icon::Information, Buttons::Ok);
        return Result::Failed;
    }
    m_ui.ShowMessage(174, Icon::Information, Buttons::Ok);
    if (!ignored.isEmpty()) {
        std::sort(ignored.begin(), ignored.end(), std::greater<int>());
        for (int index : ignored) list.RemoveAt(index);
        m_ui.ShowMessage(6103, Icon::Information, Buttons::Ok, {QString::number(ignored.size())});
    }
    return FromFileResult(list.SaveToFile(m_ui, path));
}

Result CSettingsCommands::SaveSettings(const QString& path)
{
    if (!m_controller.IsConnected() || m_controller.IsSimulation() || !m_controller.Model() || !m_controller.Bus())
        return Result::NotRun;
    CControllerAccess::TransferScope transferFlag(m_controller);
    const QString listPath =
        CParameterArray::ListFilePath(m_controller.ParameterListFolder(), m_controller.FirmwareVersion(),
                                      m_controller.Model()->productCode);
    CParameterArray list;
    if (list.LoadFromPath(listPath) != CParameterArray::FileResult::Ok) {
        m_ui.ShowMessage(110, Icon::Stop, Buttons::Ok, {QDir::toNativeSeparators(listPath)});
        return Result::Failed;
    }
    if (!m_controller.Bus()->SetDeviceAddress(
            static_cast<uint8_t>(std::min<uint32_t>(m_controller.CurrentConnection().deviceAddress, 255))))
        return Result::Failed;
    return ReadAndSave(list, path);
}

Result CSettingsCommands::SaveSensorCalibration(const QString& path)
{
    if (!m_controller.IsConnected() || m_controller.IsSimulation() || !m_controller.Bus()) return Result::NotRun;
    CControllerAccess::TransferScope transferFlag(m_controller);
    if (!m_controller.Bus()->SetDeviceAddress(
            static_cast<uint8_t>(std::min<uint32_t>(m_controller.CurrentConnection().deviceAddress, 255))))
        return Result::Failed;
    CParameterArray list;
    list.BuildSensorList(*m_controller.Bus());
    return ReadAndSave(list, path);
}

Result CSettingsCommands::SaveSmsModuleSettings(const QString& path)
{
    if (!m_controller.IsConnected()) return Result::NotRun;
    CControllerAccess::TransferScope transferFlag(m_controller);
    // A module that does not answer its version read makes the command end without a word.
    if (m_controller.ReadParameter(0, true) != CSWMBus::Ok) return Result::Failed;
    const double value = m_controller.GetLastValue();
    const int version = SaturatingCast<int>(value);
    const QString listPath =
        CParameterArray::ListFilePath(m_controller.ParameterListFolder(), version, ModelInfo::SmsModuleProductCode);
    if (m_controller.IsSimulation() || !m_controller.Bus()) return Result::NotRun;
    CParameterArray list;
    if (list.LoadFromPath(listPath) != CParameterArray::FileResult::Ok) {
        m_ui.ShowMessage(110, Icon::Stop, Buttons::Ok, {QDir::toNativeSeparators(listPath)});
        return Result::Failed;
    }
    m_controller.Bus()->SetDeviceAddress(BusByte::SmsModuleAddress);
    return ReadAndSave(list, path);
}

CSettingsCommands::Compatibility CSettingsCommands::CheckSettingsCompatibility(CParameterArray& list,
                                                                               bool withSerialCheck)
{
    CParameter p;
    if (!list.FindByNumber(0, p)) {
        m_ui.ShowMessage(118, Icon::Stop, Buttons::Ok);
        return Compatibility::Refused;
    }
    if (p.Value != m_controller.FirmwareVersion() &&
        m_ui.ShowMessage(119, Icon::Warning, Buttons::YesNo) != CUserInteraction::IdYes)
        return Compatibility::Declined;
    if (!list.FindByNumber(2, p)) {
        m_ui.ShowMessage(122, Icon::Stop, Buttons::Ok);
        return Compatibility::Refused;
    }
    const int connected = m_controller.Model() ? m_controller.Model()->productCode : -1;
    if (p.Value != connected) {
        const bool bAndD = (p.Value == 3 && connected == 4) || (p.Value == 4 && connected == 3);
        if (!bAndD) {
            m_ui.ShowMessage(121, Icon::Stop, Buttons::Ok);
            return Compatibility::Refused;
        }
        if (m_ui.ShowMessage(324, Icon::Question, Buttons::YesNo) != CUserInteraction::IdYes)
            return Compatibility::Declined;
    }
    if (withSerialCheck) {
        if (!list.FindByNumber(6, p)) {
            m_ui.ShowMessage(175, Icon::Stop, Buttons::Ok);
            return Compatibility::Refused;
        }
        if (static_cast<uint32_t>(p.FileValue()) != m_controller.SerialNumber()) {
            if (m_ui.ShowMessage(176, Icon::Stop, Buttons::OkCancel) != CUserInteraction::IdOk)
                return Compatibility::Declined;
            list.RemoveCalibrationValues();
        }
    }
    return Compatibility::Accepted;
}

Result CSettingsCommands::WriteList(CParameterArray& list, bool toController)
{
    CControllerAccess::TransferScope transferFlag(m_controller);
    // The device takes at most 255 bytes per text; found here, before the first write.
    for (int i = 0; i < list.Count(); ++i) {
        const CParameter& p = list[i];
        if (p.Kind == CParameter::TextKind && p.TextBytes().size() > 255) {
            m_ui.ShowMessage(6209, Icon::Stop, Buttons::Ok,
                             {p.Name, QString::number(p.Number), QString::number(p.TextBytes().size())});
            return Result::Failed;
        }
    }
    CSWMBus& bus = *m_controller.Bus();
    const uint32_t address =
        toController ? m_controller.CurrentConnection().deviceAddress : BusByte::SmsModuleAddress;
    if (address > BusByte::MaxDeviceAddress || !bus.SetDeviceAddress(static_cast<uint8_t>(address)))
        return Result::Failed;

    CParameterArray::WriteOptions options;
    options.toController = toController;
    // Without the device's own answer, the version learned at connect still tells which
    // parameters changed meaning; only the SMS module has none.
    options.knownDeviceVersion = toController ? m_controller.FirmwareVersion() : -1;
    for (int i = 0; i < 8; ++i) options.sensorTypes[i] = m_controller.SensorType(i);
    options.followAddress = [this](int newAddress) {
        m_controller.CurrentConnection().deviceAddress = static_cast<uint32_t>(newAddress);
        if (onBusAddressFollowed) onBusAddressFollowed(newAddress);
    };

    QList<int> ignored;
    options.ignored = &ignored;
    const int result = list.WriteAllToController(bus, m_ui, options);
    m_lastIgnored = static_cast<int>(ignored.size());
    if (result == 0) {
        m_ui.ShowMessage(174, Icon::Information, Buttons::Ok);
        if (!ignored.isEmpty()) {
            QStringList numbers;
            for (int n : ignored) numbers << QString::number(n);
            m_ui.ShowMessage(6210, Icon::Warning, Buttons::Ok,
                             {QString::number(ignored.size()), numbers.join(QStringLiteral(", "))});
        }
        if (invalidatePages && toController) invalidatePages();
        return Result::Done;
    }
    if (result == CParameterArray::TransferCancelled) {
        m_ui.ShowMessage(6102, Icon::Warning, Buttons::Ok);
        if (invalidatePages && toController) invalidatePages();
        return Result::Cancelled;
    }
    m_ui.ShowMessage(result == CSWMBus::NoChannel ? 6201 : 172, Icon::Stop, Buttons::Ok);
    if (invalidatePages && toController && result != CParameterArray::NoVersionParameter) invalidatePages();
    return Result::Failed;
}

Result CSettingsCommands::LoadSettings(const QString& path)
{
    CParameterArray list;
    const CParameterArray::FileResult loaded = list.LoadFromFile(m_ui, path);
    if (loaded != CParameterArray::FileResult::Ok) return FromFileResult(loaded);
    if (!m_controller.IsConnected() || m_controller.IsSimulation() || !m_controller.Bus()) return Result::NotRun;
    CControllerAccess::TransferScope transferFlag(m_controller);
    // Calibration values belong to the controller that measured them, whether they come in
    // a calibration file or in a full backup: another controller's are asked about.
    switch (CheckSettingsCompatibility(list, list.ContainsSensorParameters())) {
        case Compatibility::Accepted:
            break;
        case Compatibility::Declined:
            return Result::Cancelled;
        case Compatibility::Refused:
            return Result::Failed;
    }
    return chooseWrites ? WriteCompared(list) : WriteList(list, true);
}

Result CSettingsCommands::CompareWithController(const CParameterArray& file, CSettingsComparison& out)
{
    if (!m_controller.IsConnected() || m_controller.IsSimulation() || !m_controller.Bus()) return Result::NotRun;
    CControllerAccess::TransferScope transferFlag(m_controller);
    const uint32_t address = m_controller.CurrentConnection().deviceAddress;
    if (address > BusByte::MaxDeviceAddress || !m_controller.Bus()->SetDeviceAddress(static_cast<uint8_t>(address)))
        return Result::Failed;
    // What a write leaves out is not read either: on the controller it may mean something else.
    const int device = m_controller.FirmwareVersion();
    CParameterArray read;
    for (const CParameter& p : file)
        if (!CSettingsComparison::IsLeftOut(file, p.Number, device)) read.Add(p);
    QList<int> ignored;
    const int result = read.ReadAllFromController(*m_controller.Bus(), m_ui, &ignored);
    if (result == CParameterArray::TransferCancelled) {
        m_ui.ShowMessage(51020, Icon::Information, Buttons::Ok);
        return Result::Cancelled;
    }
    if (result != 0) {
        m_ui.ShowMessage(result == CSWMBus::NoChannel ? 51021 : 51022, Icon::Stop, Buttons::Ok);
        return Result::Failed;
    }
    QSet<uint16_t> unread;
    for (int i : ignored) unread.insert(read[i].Number);
    CSettingsComparison::Context context;
    context.againstController = true;
    context.knownDeviceVersion = device;
    for (int i = 0; i < 8; ++i) context.sensorTypes[static_cast<size_t>(i)] = m_controller.SensorType(i);
    out = CSettingsComparison::Compare(read, file, context, unread);
    return Result::Done;
}

Result CSettingsCommands::CompareFileWithController(const QString& path, CSettingsComparison& out)
{
    CParameterArray list;
    const CParameterArray::FileResult loaded = list.LoadFromFile(m_ui, path);
    if (loaded != CParameterArray::FileResult::Ok) return FromFileResult(loaded);
    return CompareWithController(list, out);
}

Result CSettingsCommands::WriteCompared(CParameterArray& list)
{
    m_lastLoad = {};
    CSettingsComparison comparison;
    const Result read = CompareWithController(list, comparison);
    if (read != Result::Done) return read;
    const Choice choice = chooseWrites(comparison);
    if (choice == Choice::Cancel) return Result::Cancelled;
    m_lastLoad.leftOut = comparison.Count(CSettingsComparison::State::LeftOut);
    m_lastIgnored = 0;
    if (choice == Choice::WriteAll) {
        const Result written = WriteList(list, true);
        m_lastLoad.failed = m_lastIgnored;
        if (written == Result::Done)
            m_lastLoad.written = list.Count() - comparison.Count(CSettingsComparison::State::Identification) -
                                 m_lastLoad.leftOut - m_lastIgnored;
        return written;
    }
    m_lastLoad.equal = comparison.Count(CSettingsComparison::State::Equal);
    m_lastLoad.notChosen = comparison.Writable() - comparison.Checked();
    if (comparison.Checked() == 0) {
        m_ui.ShowMessage(51023, Icon::Information, Buttons::Ok);
        return Result::Done;
    }
    CParameterArray checked = comparison.CheckedList();
    const Result written = WriteList(checked, true);
    m_lastLoad.failed = m_lastIgnored;
    if (written == Result::Done) m_lastLoad.written = comparison.Checked() - m_lastIgnored;
    return written;
}

Result CSettingsCommands::LoadSmsModuleSettings(const QString& path)
{
    CParameterArray list;
    const CParameterArray::FileResult loaded = list.LoadFromFile(m_ui, path);
    if (loaded != CParameterArray::FileResult::Ok) return FromFileResult(loaded);
    if (!m_controller.IsConnected() || m_controller.IsSimulation() || !m_controller.Bus()) return Result::NotRun;
    CControllerAccess::TransferScope transferFlag(m_controller);
    // A controller's file chosen by mistake would overwrite the module's entries.
    CParameter product;
    if (!list.FindByNumber(2, product)) {
        if (m_ui.ShowMessage(6104, Icon::Warning, Buttons::YesNo) != CUserInteraction::IdYes) return Result::Cancelled;
    }
    else if (product.Value != ModelInfo::SmsModuleProductCode) {
        m_ui.ShowMessage(6105, Icon::Stop, Buttons::Ok, {QString::number(product.FileValue())});
        return Result::Failed;
    }
    return WriteList(list, false);
}
