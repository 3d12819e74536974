// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/CFirmwareTransfer.h"

#include <functional>

#include "base/CUserInteraction.h"
#include "lang/CLanguage.h"
#include "link/CByteChannel.h"
#include "link/CConnection.h"
#include "link/CFrameCodec.h"
#include "link/CSWMBus.h"
#include "link/CSerialComm.h"
#include "params/CControllerAccess.h"
#include "params/CTransferProgress.h"

using Icon = CUserInteraction::Icon;
using Buttons = CUserInteraction::Buttons;

void CFirmwareTransferUi::DisconnectAfterTransfer(CControllerAccess& controller)
{
    controller.Disconnect();
    controller.UpdateTitle();
}

namespace {
// Puts the line back to the connection's baud rate and reply timeout on every way out of
// the boot-loader exchange, whatever ended it.
class CLineRestore {
public:
    explicit CLineRestore(std::function<void()> restore) : m_restore(std::move(restore)) {}
    ~CLineRestore() { m_restore(); }
    CLineRestore(const CLineRestore&) = delete;
    CLineRestore& operator=(const CLineRestore&) = delete;

private:
    std::function<void()> m_restore;
};
}  // namespace

CFirmwareTransfer::CFirmwareTransfer(CControllerAccess& controller, CFirmwareTransferUi& ui)
    : m_controller(controller), m_ui(ui)
{
}

qint64 CFirmwareTransfer::ProgressDivisor(qint64 fileSize)
{
    // Sixteen bytes per step as long as the range fits in 16 bits; larger files get
    // coarser steps instead of a range that wraps.
    const qint64 fit = (fileSize + 65534) / 65535;
    return qMax<qint64>(16, fit);
}

QString CFirmwareTransfer::DownloadWarningText()
{
    static constexpr int kParts[] = {
        StringId(199), StringId(200), StringId(201), StringId(202), StringId(203), StringId(204), StringId(205),
        StringId(206), StringId(207), StringId(208), StringId(209), StringId(210), StringId(211), StringId(212),
        StringId(213), StringId(214), StringId(215), StringId(216), StringId(217), StringId(218), StringId(219),
        StringId(220), StringId(221), StringId(222), StringId(223),
    };
    QString text;
    for (int id : kParts)
        text += Tr(id);
    return text;
}

void CFirmwareTransfer::Pump()
{
    if (CUserInteraction* ui = m_controller.UserInteraction())
        ui->PumpPendingMessages();
}

CFirmwareTransfer::Outcome CFirmwareTransfer::TransferFirmware()
{
    if (!m_controller.IsConnected())
        return Outcome::NotConnected;
    CControllerAccess::TransferScope transferFlag(m_controller);
    CUserInteraction* ui = m_controller.UserInteraction();
    // Simulation mode ends the command only after the file is chosen, as on a real controller.
    if (m_controller.CurrentConnection().IsTcp() &&
        (!ui ||
         ui->ShowMessage(192, Icon::Warning, Buttons::YesNoCancel) != CUserInteraction::IdYes))
        return Outcome::Declined;
    if (!m_ui.ConfirmDownloadWarning())
        return Outcome::Declined;
    const QString path = m_ui.ChooseFirmwareFile();
    if (path.isEmpty())
        return Outcome::Declined;
    return TransferFile(path);
}

CFirmwareTransfer::Outcome CFirmwareTransfer::TransferFile(const QString& path)
{
    m_failedRecord = -1;
    m_retries = 0;
    if (!m_controller.IsConnected())
        return Outcome::NotConnected;
    if (m_controller.IsSimulation())
        return Outcome::Simulation;
    CControllerAccess::TransferScope transferFlag(m_controller);
    CUserInteraction* ui = m_controller.UserInteraction();
    const auto message = [ui](int id, Icon icon, Buttons buttons, const QStringList& args = {}) {
        return ui ? ui->ShowMessage(id, icon, buttons, args) : int(CUserInteraction::IdCancel);
    };

    std::unique_ptr<CTransferProgress> progress = m_ui.OpenProgress();

    // Checking pass: the file is read and decoded once; the sending pass works from memory,
    // so a file changed or removed meanwhile cannot stop the transfer half-way.
    progress->SetItemText(Tr(352));
    progress->SetCaption(Tr(352));
    if (!m_file.Load(path)) {
        progress.reset();
        if (m_file.GetError() == CSRecordFile::Unreadable)
            message(351, Icon::Stop, Buttons::Ok, {path});
        else
            message(130, Icon::Stop, Buttons::Ok);
        return m_file.GetError() == CSRecordFile::Unreadable ? Outcome::FileUnreadable : Outcome::FileInvalid;
    }
    const qint64 divisor = ProgressDivisor(m_file.FileSize());
    const int range = static_cast<int>((m_file.FileSize() + divisor - 1) / divisor);
    progress->SetRange(range);
    qint64 running = 0;
    int lastPos = -1;
    const QVector<CSRecord>& records = m_file.Records();
    for (int i = 0; i < records.size(); ++i) {
        running += records[i].dataBytes;
        // Checking takes no time; showing every record would only slow it down.
        const int pos = static_cast<int>(records[i].fileOffset / divisor);
        if (pos != lastPos || i + 1 == records.size()) {
            lastPos = pos;
            progress->SetPos(pos);
            progress->SetItemText(CSRecordFile::ProgressText(records[i], running));
            Pump();
        }
    }
    progress->SetPos(range);
    return Send(*progress, divisor);
}

CFirmwareTransfer::Outcome CFirmwareTransfer::Send(CTransferProgress& progress, qint64 divisor)
{
    CUserInteraction* ui = m_controller.UserInteraction();
    progress.SetCaption(Tr(353));
    progress.SetItemText(Tr(353));
    progress.SetPos(0);
    Pump();
    if (m_controller.WriteParameter(kBootLoaderParameter, 0) != 0) {
        // A shared line (the service) refuses with its own code: say what to do instead.
        uint8_t code = 0;
        const bool shared = m_controller.Bus() && !m_controller.Bus()->GetAcknowledge(code) &&
                            code == BusByte::SharedLineRefusal;
        if (ui)
            ui->ShowMessage(shared ? 52001 : 131, Icon::Stop, Buttons::Ok);
        return Outcome::BootLoaderRefused;
    }
    if (!ui || ui->ShowMessage(129, Icon::Warning, Buttons::OkCancel) != CUserInteraction::IdOk) {
        m_controller.ReadParameter(0);
        return Outcome::Cancelled;
    }

    Outcome outcome = Outcome::Done;
    {
        CLineRestore restore([this] { RestoreLine(); });
        SetLineBaud(kBootLoaderBaud);
        progress.SetItemText(Tr(134));
        Pump();
        CByteChannel* channel = m_controller.Channel();
        if (channel) {
            channel->PurgeReceive();
            channel->SetReadTimeout(kHandshakeTimeoutMs);
        }
        if (!channel || !Handshake()) {
            outcome = Outcome::HandshakeFailed;
        } else {
            progress.SetItemText(Tr(133));
            Pump();
            channel->SetReadTimeout(m_controller.CurrentConnection().EffectiveTimeout());
            const QVector<CSRecord>& records = m_file.Records();
            const qint64 total = m_file.TotalDataBytes();
            qint64 running = 0;
            for (int i = 0; i < records.size(); ++i) {
                const CSRecord& r = records[i];
                progress.SetPos(static_cast<int>(r.fileOffset / divisor));
                running += r.dataBytes;
                progress.SetItemText(CSRecordFile::ProgressText(r, running, total));
                Pump();
                if (!SendRecord(r.bytes)) {
                    m_failedRecord = i;
                    outcome = Outcome::RecordFailed;
                    break;
                }
            }
        }
    }
    if (outcome == Outcome::Done)
        progress.SetPos(static_cast<int>((m_file.FileSize() + divisor - 1) / divisor));
    if (outcome != Outcome::Done) {
        if (ui)
            ui->ShowMessage(131, Icon::Stop, Buttons::Ok);
        return outcome;
    }
    m_ui.DisconnectAfterTransfer(m_controller);
    if (ui)
        ui->ShowMessage(132, Icon::Warning, Buttons::Ok);
    return Outcome::Done;
}

bool CFirmwareTransfer::ReadByte(char expected)
{
    CByteChannel* channel = m_controller.Channel();
    QByteArray got;
    return channel && channel->ReceiveString(got, 1, 0, false) == 1 && got.size() == 1 && got[0] == expected;
}

bool CFirmwareTransfer::Handshake()
{
    CByteChannel* channel = m_controller.Channel();
    static const QByteArray kHandshake("ABCDE");
    if (!channel || channel->SendAll(kHandshake) != kHandshake.size())
        return false;
    for (char expected : kHandshake)
        if (!ReadByte(expected))
            return false;
    return true;
}

bool CFirmwareTransfer::SendRecord(const QByteArray& bytes)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        CByteChannel* channel = m_controller.Channel();
        if (!channel)
            return false;
        if (attempt > 0) {
            ++m_retries;
            // What is left of a wrong answer must not be taken for the next one.
            channel->PurgeReceive();
        }
        if (channel->SendAll(bytes) != bytes.size())
            continue;
        if (ReadByte('Z') && ReadByte('W'))
            return true;
    }
    return false;
}

void CFirmwareTransfer::SetLineBaud(uint32_t baud)
{
    // Only a serial port has a line speed; over TCP the network module keeps its own.
    auto* serial = dynamic_cast<CSerialComm*>(m_controller.Channel());
    if (!serial)
        return;
    CSerialCommState state;
    serial->GetState(state);
    state.baudRate = baud;
    serial->SetState(state);
}

void CFirmwareTransfer::RestoreLine()
{
    if (CByteChannel* channel = m_controller.Channel())
        channel->SetReadTimeout(m_controller.CurrentConnection().EffectiveTimeout());
    SetLineBaud(m_controller.CurrentConnection().baudRate);
}
