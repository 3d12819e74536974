// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CBusDevice.h"

CBusDevice::CBusDevice(uint8_t address, int productCode) : m_address(address)
{
    SetValue(2, productCode);
}

void CBusDevice::SetValue(int number, int64_t value)
{
    Cell& c = m_cells[number];
    c.value = static_cast<int32_t>(static_cast<uint32_t>(value & 0xFFFFFFFF));
    c.isText = false;
    c.text.clear();
}

void CBusDevice::SetText(int number, const QByteArray& text)
{
    Cell& c = m_cells[number];
    c.text = text.left(255);
    c.isText = true;
    c.value = 0;
}

void CBusDevice::SetReadOnly(int number, bool readOnly)
{
    if (readOnly)
        m_readOnly.insert(number);
    else
        m_readOnly.remove(number);
}

void CBusDevice::AddBeforeRead(Hook hook)
{
    beforeRead = [first = std::move(beforeRead), hook = std::move(hook)](CBusDevice& d, int n) {
        if (first)
            first(d, n);
        hook(d, n);
    };
}

void CBusDevice::AddAfterWrite(Hook hook)
{
    afterWrite = [first = std::move(afterWrite), hook = std::move(hook)](CBusDevice& d, int n) {
        if (first)
            first(d, n);
        hook(d, n);
    };
}

void CBusDevice::AddWriteCheck(WriteCheck check)
{
    writeCheck = [first = std::move(writeCheck), check = std::move(check)](CBusDevice& d, int n, int64_t v) {
        if (first) {
            if (const uint8_t code = first(d, n, v))
                return code;
        }
        return check(d, n, v);
    };
}

void CBusDevice::AddSilence(std::function<bool(const CBusDevice&)> isSilent)
{
    silent = [first = std::move(silent), isSilent = std::move(isSilent)](const CBusDevice& d) {
        return (first && first(d)) || isSilent(d);
    };
}

uint8_t CBusDevice::ApplyWrite(int number, int64_t value)
{
    if (IsReadOnly(number))
        return kRefusalReadOnly;
    if (writeCheck) {
        if (const uint8_t code = writeCheck(*this, number, value))
            return code;
    }
    SetValue(number, value);
    if (afterWrite)
        afterWrite(*this, number);
    return 0;
}

uint8_t CBusDevice::ApplyTextWrite(int number, const QByteArray& text)
{
    if (IsReadOnly(number))
        return kRefusalReadOnly;
    SetText(number, text);
    if (afterWrite)
        afterWrite(*this, number);
    return 0;
}
