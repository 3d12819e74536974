// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CBootLoader.h"

#include "device/CBusDevice.h"
#include "device/CDeviceModel.h"

namespace {
const QByteArray kHandshake("ABCDE");

int AddressLength(int type)
{
    switch (type) {
    case 1: case 5: case 9: return 2;
    case 2: case 6: case 8: return 3;
    case 3: case 7: return 4;
    default: return -1;
    }
}
}  // namespace

CBootLoader::CBootLoader(CDeviceModel& model) : m_model(model)
{
    CBusDevice& controller = model.Controller();
    m_previousAfterWrite = controller.afterWrite;
    controller.afterWrite = [this](CBusDevice& device, int number) {
        if (m_previousAfterWrite)
            m_previousAfterWrite(device, number);
        if (number == kRequestParameter)
            Arm();
    };
    model.SetRawHandler([this](const QByteArray& in, QByteArray& out) { return Feed(in, out); });
}

CBootLoader::~CBootLoader()
{
    m_model.SetRawHandler({});
    m_model.Controller().afterWrite = m_previousAfterWrite;
}

void CBootLoader::Arm()
{
    // The acknowledgement of this write still goes out as a bus frame; the boot loader
    // takes the line with the first byte of the handshake.
    m_state = State::Armed;
    m_input.clear();
}

bool CBootLoader::Feed(const QByteArray& incoming, QByteArray& answer)
{
    answer.clear();
    if (m_state == State::Off)
        return false;
    if (m_state == State::Armed) {
        // Until the handshake starts, the controller still answers frames.
        if (incoming.isEmpty() || incoming[0] != kHandshake[0])
            return false;
        m_state = State::Handshake;
    }
    m_input.append(incoming);
    if (m_state == State::Handshake) {
        if (m_input.size() < kHandshake.size())
            return true;
        const QByteArray got = m_input.left(kHandshake.size());
        m_input.remove(0, kHandshake.size());
        if (got != kHandshake || m_faults.badHandshake) {
            answer = m_faults.badHandshake ? QByteArray("ABCDX") : QByteArray();
            m_input.clear();
            m_state = State::Armed;  // wait for the PC to try again
            return true;
        }
        answer = kHandshake;
        m_state = State::Records;
        m_recordIndex = 0;
        m_attempts.clear();
    }
    while (m_state == State::Records && m_input.size() >= 2) {
        const int count = static_cast<uint8_t>(m_input[1]);
        const int length = 2 + count;
        if (AddressLength(static_cast<uint8_t>(m_input[0])) < 0 || length > kMaxRecordBytes) {
            // Out of step: refuse and drop what is buffered; the PC sends the record again.
            answer += "ZX";
            ++m_refused;
            m_input.clear();
            break;
        }
        if (m_input.size() < length)
            break;
        const QByteArray record = m_input.left(length);
        m_input.remove(0, length);
        answer += HandleRecord(record);
    }
    return true;
}

QByteArray CBootLoader::HandleRecord(const QByteArray& record)
{
    m_received.append(record);
    const int index = m_recordIndex;
    const int attempt = m_attempts[index]++;
    unsigned sum = 0;
    for (qsizetype i = 1; i < record.size(); ++i)
        sum += static_cast<uint8_t>(record[i]);
    const int type = static_cast<uint8_t>(record[0]);
    const int addressLength = AddressLength(type);
    const bool injected = m_faults.nackAlways.contains(index) || (attempt == 0 && m_faults.nackOnce.contains(index));
    if ((sum & 0xFF) != 0xFF || record.size() < 3 + addressLength || injected) {
        ++m_refused;
        return "ZX";
    }
    uint32_t address = 0;
    for (int i = 0; i < addressLength; ++i)
        address = (address << 8) | static_cast<uint8_t>(record[2 + i]);
    if (type >= 1 && type <= 3) {
        const qsizetype dataEnd = record.size() - 1;
        for (qsizetype i = 2 + addressLength; i < dataEnd; ++i)
            m_image.insert(address++, static_cast<uint8_t>(record[i]));
    }
    ++m_accepted;
    ++m_recordIndex;
    if (type >= 7)
        Restart();
    return "ZW";
}

void CBootLoader::Restart()
{
    ++m_restarts;
    m_state = State::Off;
    m_input.clear();
    if (m_image.contains(kVersionAddress) && m_image.contains(kVersionAddress + 1)) {
        const int version = (m_image.value(kVersionAddress) << 8) | m_image.value(kVersionAddress + 1);
        m_model.Controller().SetValue(0, version);
    }
}

QByteArray CBootLoader::ImageBytes(uint32_t address, int count) const
{
    QByteArray out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out.append(static_cast<char>(m_image.value(address + static_cast<uint32_t>(i), 0xFF)));
    return out;
}
