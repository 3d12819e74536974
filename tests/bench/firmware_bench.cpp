// SPDX-License-Identifier: GPL-3.0-or-later
// Firmware transfer of a 256 KiB S-record file to korvalis-emulator paced as a 38400-baud
// line, over loopback TCP. Prints the checking pass, the sending pass and the ratio of the
// whole transfer to the time its bytes need on the line (10 bits per byte, both directions).
//   build/bin/firmware_bench [KiB]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/CKorvalisControlApp.h"
#include "device/CBootLoader.h"
#include "lang/CLanguage.h"
#include "firmware/CFirmwareTransfer.h"
#include "firmware/CSRecordFile.h"
#include "params/CTransferProgress.h"
#include "support/CEmulatorProcess.h"
#include "support/CScriptedUserInteraction.h"
#include "support/SRecordMaker.h"

namespace {
constexpr double kBaud = 38400.0;

struct Progress : CTransferProgress {
    QElapsedTimer* clock;
    qint64* sendingStartedMs;
    void SetRange(int) override {}
    void SetPos(int) override {}
    void SetCaption(const QString&) override {}
    void SetItemText(const QString& text) override
    {
        if (text == Tr(133))
            *sendingStartedMs = clock->elapsed();
    }
};

struct Ui : CFirmwareTransferUi {
    QElapsedTimer clock;
    qint64 sendingStartedMs = 0;
    bool ConfirmDownloadWarning() override { return true; }
    QString ChooseFirmwareFile() override { return {}; }
    std::unique_ptr<CTransferProgress> OpenProgress() override
    {
        auto p = std::make_unique<Progress>();
        p->clock = &clock;
        p->sendingStartedMs = &sendingStartedMs;
        return p;
    }
};

// S2 records of 26 data bytes until the file has the wanted size.
QByteArray MakeFile(qint64 bytes)
{
    QByteArray file = SRecordMaker::Line(0, 0, "bench") + "\r\n";
    file += SRecordMaker::Line(2, CBootLoader::kVersionAddress, QByteArray("\x01\x9a", 2)) + "\r\n";
    uint32_t address = 0x10000;
    while (file.size() < bytes - 80) {
        QByteArray data(26, '\0');
        for (int i = 0; i < 26; ++i)
            data[i] = static_cast<char>((address + i) * 13);
        file += SRecordMaker::Line(2, address, data) + "\r\n";
        address += 26;
    }
    file += SRecordMaker::Line(8, 0x10000, {}) + "\r\n";
    return file;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication qapp(argc, argv);
    const int kib = argc > 1 ? QByteArray(argv[1]).toInt() : 256;
    CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.s28"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(MakeFile(qint64(kib) * 1024));
    }

    // The checking pass alone, a few times.
    CSRecordFile file;
    QElapsedTimer t;
    t.start();
    const int parses = 20;
    for (int i = 0; i < parses; ++i)
        file.Load(path);
    const double parseMs = double(t.nsecsElapsed()) / 1e6 / parses;
    qint64 lineBytes = 10;  // handshake out and back
    for (const CSRecord& r : file.Records())
        lineBytes += r.bytes.size() + 2;  // the record and its "ZW"
    const double lineSeconds = double(lineBytes) * 10.0 / kBaud;

    CEmulatorProcess emulator;
    if (!emulator.Start({QStringLiteral("--baud"), QStringLiteral("38400")})) {
        std::fprintf(stderr, "cannot start korvalis-emulator\n");
        return 1;
    }
    CScriptedUserInteraction messages;
    messages.SetDefaultAnswer(CUserInteraction::IdOk);
    CKorvalisControlApp app;
    app.SetUserInteraction(&messages);
    CConnection conn;
    conn.type = CConnection::Tcp;
    conn.networkAddress = QStringLiteral("127.0.0.1");
    conn.tcpPort = emulator.Port();
    if (!app.Connect(&conn, false)) {
        std::fprintf(stderr, "cannot connect to the emulator\n");
        return 1;
    }
    Ui ui;
    CFirmwareTransfer transfer(app, ui);
    ui.clock.start();
    const CFirmwareTransfer::Outcome outcome = transfer.TransferFile(path);
    const double totalSeconds = double(ui.clock.elapsed()) / 1000.0;
    const double sendingSeconds = double(ui.clock.elapsed() - ui.sendingStartedMs) / 1000.0;
    const bool ok = outcome == CFirmwareTransfer::Outcome::Done && app.Connect(&conn, false) && app.FirmwareVersion() == 410;

    std::printf("firmware file:          %lld bytes, %lld records, %lld data bytes\n",
                static_cast<long long>(file.FileSize()), static_cast<long long>(file.Records().size()),
                static_cast<long long>(file.TotalDataBytes()));
    std::printf("checking pass:          %.1f ms (%.1f MB/s)\n", parseMs, double(file.FileSize()) / parseMs / 1000.0);
    std::printf("bytes on the line:      %lld (records, acknowledgements, handshake)\n", static_cast<long long>(lineBytes));
    std::printf("line time at 38400 Bd:  %.2f s\n", lineSeconds);
    std::printf("transfer (whole):       %.2f s  ratio to line time %.3f\n", totalSeconds, totalSeconds / lineSeconds);
    std::printf("transfer (sending):     %.2f s  ratio to line time %.3f\n", sendingSeconds, sendingSeconds / lineSeconds);
    std::printf("result:                 %s, retries %d\n", ok ? "done, device runs 4.10" : "FAILED", transfer.Retries());
    return ok ? 0 : 1;
}
