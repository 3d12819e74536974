// SPDX-License-Identifier: GPL-3.0-or-later
// The device side of the bus: a virtual controller (and optionally an SMS module at bus
// address 34) that answers the PC's frames byte for byte, with faults on demand.
// The emulator program serves it over TCP and pseudo-terminals; tests reach it through
// CMemoryChannel.
#pragma once

#include <QByteArray>
#include <QSet>
#include <QVector>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>

#include "device/CBusDevice.h"

class CDeviceModel {
public:
    struct Options {
        int productCode = 4;  // Korvalis D
        int firmware = 408;
        uint32_t serial = 123456;
        uint8_t address = 1;
        QVector<int> sensors;  // type code per input; empty = the model's built-in inputs
        bool sms = false;
        int smsFirmware = 408;
        int32_t password = 0;
    };

    struct Faults {
        double dropRate = 0.0;     // share of answers not sent
        double garbleRate = 0.0;   // share of answers with one byte changed
        int delayMs = 0;           // answers sent this late (served by the transport)
        QSet<int> refuse;          // parameters whose writes are refused
        int closeAfterFrames = -1; // link closes after this many answered frames (-1 never)
        uint32_t seed = 1;
    };

    // What the PC did, in order, for tests that assert the exact traffic.
    struct Access {
        enum Kind { Read, Write, WriteText } kind;
        uint8_t address;
        int number;
        int64_t value;
        QByteArray text;
        bool operator==(const Access&) const = default;
    };

    CDeviceModel();
    explicit CDeviceModel(const Options& options);
    virtual ~CDeviceModel();

    CBusDevice& Controller() { return *m_controller; }
    CBusDevice* SmsModule() { return m_sms.get(); }
    CBusDevice* DeviceAt(uint8_t address);
    const Options& GetOptions() const { return m_options; }

    // Bytes from the PC in; the bytes the devices answer out. Partial frames are kept
    // until the rest arrives; noise between frames is skipped. The input buffer is bounded.
    QByteArray Feed(const QByteArray& incoming);

    // Bytes outside the bus protocol (the boot loader's exchange): while a handler is set
    // and returns true, Feed hands the incoming bytes to it and sends what it answers
    // instead of parsing frames. CBootLoader installs itself here.
    using RawHandler = std::function<bool(const QByteArray& incoming, QByteArray& answer)>;
    void SetRawHandler(RawHandler handler) { m_rawHandler = std::move(handler); }
    const RawHandler& GetRawHandler() const { return m_rawHandler; }

    void SetFaults(const Faults& faults);
    const Faults& GetFaults() const { return m_faults; }
    bool LinkClosed() const { return m_linkClosed; }
    // A frame has begun and not yet ended.
    bool HasPartialFrame() const { return !m_input.isEmpty(); }
    // A new link (the next TCP client, a reopened line): partial frames, pending requests and
    // the close-after count start afresh; faults and parameters stay.
    void ResetLink();

    // A long-running emulator turns the log off so memory stays flat; the observer still
    // sees every access.
    void SetLogEnabled(bool on) { m_logEnabled = on; }
    std::function<void(const Access&)> onAccess;

    const QVector<Access>& Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }
    // Only the writes of the log, as (number, value) pairs.
    QVector<QPair<int, int64_t>> Writes() const;

    // Builds the read answer a device at address gives for a value field.
    static QByteArray ReadAnswer(uint8_t address, int number, const QByteArray& valueField);
    // The value field a device sends for a number: shortest form that reads back the same
    // both signed and unsigned, padded so that the answer has at least four nibbles.
    static QByteArray ValueField(int number, int64_t value);
    static QByteArray AckFrame(uint8_t address);
    static QByteArray RefusalFrame(uint8_t address, uint8_t code);

private:
    QByteArray HandleFrame(const QByteArray& frame);
    QByteArray AnswerPoll(CBusDevice& device);
    QByteArray ApplyWriteRequest(CBusDevice& device, int number, const QByteArray& valueField);
    QByteArray ApplyFaults(QByteArray answer);
    void Seed(const Options& options);
    void Record(const Access& access);

    Options m_options;
    std::unique_ptr<CBusDevice> m_controller;
    std::unique_ptr<CBusDevice> m_sms;
    QByteArray m_input;
    // The request each device received last, answered by the next poll to it.
    // A write is carried out when its request arrives (a PC that does not wait for the
    // acknowledgement sends no poll); the poll only fetches the answer prepared for it.
    struct Pending {
        bool valid = false;
        bool isRead = false;
        int number = 0;
        QByteArray answer;
    };
    void ApplyAddressChange();
    Pending m_pending[35];
    Faults m_faults;
    std::mt19937 m_random;
    int m_answeredFrames = 0;
    bool m_linkClosed = false;
    QVector<Access> m_log;
    RawHandler m_rawHandler;
    bool m_logEnabled = true;
    // A new bus address takes effect once the acknowledgement has gone out from the old one.
    int m_addressChange = -1;
};
