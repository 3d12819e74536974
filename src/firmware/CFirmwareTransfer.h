// SPDX-License-Identifier: GPL-3.0-or-later
// Replaces the controller's firmware: the controller is told to start its boot loader
// (parameter 5003), then the boot loader gets a fixed handshake at 38400 baud and every
// record of the checked file, each acknowledged with "ZW". At the end the program
// disconnects. Messages go through CUserInteraction; the warning dialog, the file choice and
// the progress window through CFirmwareTransferUi, which the GUI and the CLI implement.
#pragma once

#include <QString>
#include <memory>

#include "firmware/CSRecordFile.h"

class CControllerAccess;
class CTransferProgress;

class CFirmwareTransferUi {
public:
    virtual ~CFirmwareTransferUi() = default;
    // The download warning; true when the user confirmed it and pressed OK.
    virtual bool ConfirmDownloadWarning() = 0;
    // The firmware file chosen by the user; empty when cancelled.
    virtual QString ChooseFirmwareFile() = 0;
    // A shown progress window without a cancel button; closed when destroyed.
    virtual std::unique_ptr<CTransferProgress> OpenProgress() = 0;
    // Closes the connection after a transfer without asking (the GUI rebuilds its pages).
    virtual void DisconnectAfterTransfer(CControllerAccess& controller);
};

class CFirmwareTransfer {
public:
    enum class Outcome {
        NotConnected,
        Declined,           // TCP warning, download warning or file dialog refused
        Simulation,         // nothing to send to
        FileUnreadable,     // message 351
        FileInvalid,        // message 130; nothing was sent
        BootLoaderRefused,  // parameter 5003 not written; message 131
        Cancelled,          // cancelled at message 129; parameter 0 read once
        HandshakeFailed,    // message 131; the controller stays in its boot loader
        RecordFailed,       // message 131; the controller stays in its boot loader
        Done,               // message 132; disconnected
    };

    static constexpr int kBootLoaderParameter = 5003;
    static constexpr uint32_t kBootLoaderBaud = 38400;
    static constexpr int kHandshakeTimeoutMs = 5000;
    static constexpr int kAttempts = 3;

    CFirmwareTransfer(CControllerAccess& controller, CFirmwareTransferUi& ui);

    // The whole command (menu command 40013 and the System page's button).
    Outcome TransferFirmware();
    // From the chosen file on: checking pass, boot loader, sending pass, disconnect.
    Outcome TransferFile(const QString& path);

    // The checked file of the last transfer (records, totals, the fault found).
    const CSRecordFile& File() const { return m_file; }
    // Index of the record that was not acknowledged (RecordFailed), else -1.
    int FailedRecord() const { return m_failedRecord; }
    // Records sent more than once because the first acknowledgement was wrong.
    int Retries() const { return m_retries; }

    // The download warning: strings 199 to 223, one after another.
    static QString DownloadWarningText();

    // File offsets map onto a progress range of at most 65535 steps: divide by this.
    static qint64 ProgressDivisor(qint64 fileSize);

private:
    Outcome Send(CTransferProgress& progress, qint64 divisor);
    bool Handshake();
    bool SendRecord(const QByteArray& bytes);
    bool ReadByte(char expected);
    void SetLineBaud(uint32_t baud);
    void RestoreLine();
    void Pump();

    CControllerAccess& m_controller;
    CFirmwareTransferUi& m_ui;
    CSRecordFile m_file;
    int m_failedRecord = -1;
    int m_retries = 0;
};
