// SPDX-License-Identifier: GPL-3.0-or-later
// One device on the bus as the device sees itself: its address and its parameter memory.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <cstdint>
#include <functional>

class CBusDevice {
public:
    struct Cell {
        int64_t value = 0;   // the 32-bit pattern as signed
        QByteArray text;     // byte-string parameters
        bool isText = false;
    };

    CBusDevice(uint8_t address, int productCode);
    virtual ~CBusDevice() = default;

    uint8_t Address() const { return m_address; }
    void SetAddress(uint8_t address) { m_address = address; }
    int ProductCode() const { return static_cast<int>(Value(2)); }

    // Parameter memory. Numbers are the 16-bit parameter numbers; unknown ones read as 0.
    bool Has(int number) const { return m_cells.contains(number); }
    int64_t Value(int number) const { return m_cells.value(number).value; }
    QByteArray Text(int number) const { return m_cells.value(number).text; }
    bool IsText(int number) const { return m_cells.value(number).isText; }
    void SetValue(int number, int64_t value);
    void SetText(int number, const QByteArray& text);
    const QHash<int, Cell>& Cells() const { return m_cells; }

    // Writes to these parameters are refused (negative acknowledgement with this code).
    void SetReadOnly(int number, bool readOnly = true);
    bool IsReadOnly(int number) const { return m_readOnly.contains(number); }
    static constexpr uint8_t kRefusalReadOnly = 0x31;
    // A value the parameter cannot take (out of range, or not allowed in this state).
    static constexpr uint8_t kRefusalValue = 0x33;

    // Called for every parameter about to be read (live values update here) and after
    // every accepted write (commands, address changes). Behaviours of the emulator hook in.
    using Hook = std::function<void(CBusDevice&, int number)>;
    std::function<void(CBusDevice&, int number)> beforeRead;
    std::function<void(CBusDevice&, int number)> afterWrite;
    // Asked before a numeric write is stored: 0 accepts, anything else is the refusal code.
    using WriteCheck = std::function<uint8_t(CBusDevice&, int number, int64_t value)>;
    WriteCheck writeCheck;
    // While this returns true the device ignores the bus (restarting, in its boot loader).
    std::function<bool(const CBusDevice&)> silent;

    // Several behaviours share one device: these add a hook after the ones already there.
    void AddBeforeRead(Hook hook);
    void AddAfterWrite(Hook hook);
    void AddWriteCheck(WriteCheck check);
    void AddSilence(std::function<bool(const CBusDevice&)> isSilent);
    bool IsSilent() const { return silent && silent(*this); }
    // Brings a live parameter up to date without a bus read (one behaviour asking another).
    void Refresh(int number)
    {
        if (beforeRead)
            beforeRead(*this, number);
    }

    // Applies a write from the bus; returns 0 when accepted, else the refusal code.
    virtual uint8_t ApplyWrite(int number, int64_t value);
    virtual uint8_t ApplyTextWrite(int number, const QByteArray& text);

private:
    uint8_t m_address;
    QHash<int, Cell> m_cells;
    QSet<int> m_readOnly;
};
