// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's boot loader as the device model plays it. A write to parameter 5003 arms
// it; the next bytes that start with "A" are the PC's raw handshake "ABCDE", echoed back;
// then every binary record (type byte, byte count, address, data, checksum) is answered
// "ZW" when its checksum is right and "ZX" otherwise. After the end record (S7, S8 or S9)
// the device restarts with the new firmware and speaks the bus protocol again.
//
// Transports (the emulator's TCP and pseudo-terminal servers) need nothing beyond the model's
// Feed: the boot loader hooks itself into it. A serial transport also follows LineBaud()
// after writing each answer: 38400 from the acknowledgement of the 5003 write until the
// restart, 0 (the configured speed) otherwise.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <cstdint>
#include <functional>

class CDeviceModel;
class CBusDevice;

class CBootLoader {
public:
    enum class State { Off, Armed, Handshake, Records };

    static constexpr int kRequestParameter = 5003;
    static constexpr uint32_t kBaud = 38400;
    // The new firmware's version number: two bytes, big-endian, at this address of the
    // image. An image without them keeps the old number.
    static constexpr uint32_t kVersionAddress = 0x0100;
    static constexpr int kMaxRecordBytes = 32;

    struct Faults {
        bool badHandshake = false;  // the fifth echoed byte is not "E"
        QSet<int> nackOnce;         // records (counted from 0) answered "ZX" the first time
        QSet<int> nackAlways;       // records answered "ZX" every time
    };

    // Hooks into the model; the model must outlive the boot loader.
    explicit CBootLoader(CDeviceModel& model);
    ~CBootLoader();
    CBootLoader(const CBootLoader&) = delete;
    CBootLoader& operator=(const CBootLoader&) = delete;

    void SetFaults(const Faults& faults) { m_faults = faults; }
    State GetState() const { return m_state; }
    // 38400 while the boot loader owns the line, else 0.
    uint32_t LineBaud() const { return m_state == State::Off ? 0 : kBaud; }

    // What was received: the image by address, records accepted, restarts, "ZX" answers.
    const QMap<uint32_t, uint8_t>& Image() const { return m_image; }
    QByteArray ImageBytes(uint32_t address, int count) const;  // gaps read as 0xFF
    int RecordsAccepted() const { return m_accepted; }
    int RecordsRefused() const { return m_refused; }
    int Restarts() const { return m_restarts; }
    // Every record received, in order, as sent.
    const QList<QByteArray>& Received() const { return m_received; }

    // Feeds bytes to the boot loader directly; returns false (nothing consumed) while the
    // bytes belong to the bus protocol.
    bool Feed(const QByteArray& incoming, QByteArray& answer);

private:
    void Arm();
    QByteArray HandleRecord(const QByteArray& record);
    void Restart();

    CDeviceModel& m_model;
    std::function<void(CBusDevice&, int)> m_previousAfterWrite;
    Faults m_faults;
    State m_state = State::Off;
    QByteArray m_input;
    QMap<uint32_t, uint8_t> m_image;
    QMap<int, int> m_attempts;  // answers given per record index
    QList<QByteArray> m_received;
    int m_recordIndex = 0;
    int m_accepted = 0;
    int m_refused = 0;
    int m_restarts = 0;
};
