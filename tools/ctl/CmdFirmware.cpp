// SPDX-License-Identifier: GPL-3.0-or-later
// firmware FILE, check-firmware FILE
#include <QFileInfo>
#include <cstdio>
#include <memory>

#include "CCtlContext.h"
#include "CtlCommand.h"
#include "lang/CLanguage.h"
#include "firmware/CFirmwareTransfer.h"
#include "firmware/CSRecordFile.h"
#include "params/CTransferProgress.h"

namespace {
// Exit statuses beyond the shared ones, so scripts can tell a bad file from a controller
// that was left in its boot loader.
enum FirmwareExit {
    ExitFileUnreadable = 4,
    ExitFileInvalid = 5,
    ExitBootLoaderRefused = 6,
    ExitTransferFailed = 7,  // the controller waits in its boot loader
};

void Err(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Progress on stderr: each stage once, then a line per tenth of the way.
class CStderrProgress : public CTransferProgress {
public:
    void SetRange(int maximum) override { m_max = maximum; }
    void SetPos(int pos) override
    {
        m_pos = pos;
        // The last record sits before the end of the file; the end of a pass is shown here.
        if (m_max > 0 && pos >= m_max && m_lastTenth != 10 && !m_lastRecord.isEmpty()) {
            m_lastTenth = 10;
            Err(QStringLiteral("  100%  %1").arg(m_lastRecord));
        }
    }
    void SetCaption(const QString&) override {}
    void SetItemText(const QString& text) override
    {
        const bool isRecord = text.contains(QLatin1String(" - "));
        if (!isRecord) {
            Err(text);
            m_lastTenth = -1;
            m_lastRecord.clear();
            return;
        }
        m_lastRecord = text;
        const int tenth = m_max > 0 ? static_cast<int>(10LL * m_pos / m_max) : 0;
        if (tenth != m_lastTenth) {
            m_lastTenth = tenth;
            if (CCtlContext::ProgressWanted())
                Err(QStringLiteral("  %1%  %2").arg(tenth * 10, 3).arg(text));
        }
    }
    ~CStderrProgress() override = default;

private:
    int m_max = 0;
    int m_pos = 0;
    int m_lastTenth = -1;
    QString m_lastRecord;
};

class CCtlFirmwareUi : public CFirmwareTransferUi {
public:
    CCtlFirmwareUi(CCtlContext& ctx, QString file) : m_ctx(ctx), m_file(std::move(file)) {}
    bool ConfirmDownloadWarning() override
    {
        if (m_ctx.HasOption(QStringLiteral("--yes")))
            return true;
        Err(CFirmwareTransfer::DownloadWarningText());
        Err(QStringLiteral("error: give --yes to accept this warning and transfer the firmware"));
        return false;
    }
    QString ChooseFirmwareFile() override { return m_file; }
    std::unique_ptr<CTransferProgress> OpenProgress() override { return std::make_unique<CStderrProgress>(); }

private:
    CCtlContext& m_ctx;
    QString m_file;
};

int Firmware(CCtlContext& ctx, const QStringList& args)
{
    if (args.size() != 1) {
        Err(QStringLiteral("usage: korvalisctl firmware FILE [--yes]"));
        return CtlUsage;
    }
    if (!ctx.ConnectDevice())
        return CtlFailed;
    CCtlFirmwareUi ui(ctx, args[0]);
    CFirmwareTransfer transfer(ctx.App(), ui);
    using Outcome = CFirmwareTransfer::Outcome;
    const Outcome outcome = transfer.TransferFirmware();
    if (outcome == Outcome::FileInvalid || outcome == Outcome::FileUnreadable)
        Err(QStringLiteral("error: %1: %2").arg(args[0], transfer.File().ErrorText()));
    switch (outcome) {
    case Outcome::Done: return CtlOk;
    case Outcome::Declined:
    case Outcome::Cancelled: return CtlCancelled;
    case Outcome::FileUnreadable: return ExitFileUnreadable;
    case Outcome::FileInvalid: return ExitFileInvalid;
    case Outcome::BootLoaderRefused: return ExitBootLoaderRefused;
    case Outcome::HandshakeFailed:
    case Outcome::RecordFailed: return ExitTransferFailed;
    case Outcome::NotConnected:
    case Outcome::Simulation: return CtlFailed;
    }
    return CtlFailed;
}

int CheckFirmware(CCtlContext&, const QStringList& args)
{
    if (args.size() != 1) {
        Err(QStringLiteral("usage: korvalisctl check-firmware FILE"));
        return CtlUsage;
    }
    CSRecordFile file;
    if (!file.Load(args[0])) {
        Err(QStringLiteral("error: %1: %2").arg(args[0], file.ErrorText()));
        return file.GetError() == CSRecordFile::Unreadable ? ExitFileUnreadable : ExitFileInvalid;
    }
    uint32_t low = 0xFFFFFFFF;
    uint32_t high = 0;
    for (const CSRecord& r : file.Records()) {
        if (r.dataBytes == 0)
            continue;
        low = qMin(low, r.address);
        high = qMax(high, r.address + static_cast<uint32_t>(r.dataBytes) - 1);
    }
    std::printf("records: %lld\n", static_cast<long long>(file.Records().size()));
    std::printf("data-bytes: %lld\n", static_cast<long long>(file.TotalDataBytes()));
    if (low <= high)
        std::printf("addresses: %x-%x\n", low, high);
    return CtlOk;
}

CtlRegistrar r1({QStringLiteral("firmware"),
                 QStringLiteral("firmware FILE [--yes]    transfer S-record firmware; exit 4 file unreadable,\n"
                                "                           5 file invalid, 6 boot loader refused, 7 transfer failed"),
                 Firmware});
CtlRegistrar r2({QStringLiteral("check-firmware"),
                 QStringLiteral("check-firmware FILE      check an S-record firmware file without a controller"),
                 CheckFirmware});
}  // namespace
