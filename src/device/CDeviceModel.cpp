// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SensorParameters.h"
#include "device/CDeviceModel.h"

#include "base/ModelInfo.h"
#include "link/CFrameCodec.h"

using namespace BusByte;

namespace {
// Longest frame the PC sends is a 255-byte string write (about 530 bytes); anything beyond
// this without an EOT is noise and is dropped.
constexpr qsizetype kMaxInput = 2048;
constexpr uint8_t kRefusalRefused = 0x32;

bool IsNumberNibble(uint8_t b) { return (b & 0xF0) == 0x40; }
bool IsValueNibble(uint8_t b) { return (b & 0xF0) == 0x30; }
}  // namespace

CDeviceModel::CDeviceModel() : CDeviceModel(Options{}) {}

CDeviceModel::CDeviceModel(const Options& options) : m_options(options), m_random(1)
{
    Seed(options);
}

CDeviceModel::~CDeviceModel() = default;

void CDeviceModel::Seed(const Options& o)
{
    m_controller = std::make_unique<CBusDevice>(o.address, o.productCode);
    CBusDevice& c = *m_controller;
    c.SetValue(0, o.firmware);
    c.SetValue(6, static_cast<int64_t>(o.serial));
    c.SetValue(5, o.address);
    c.SetValue(8, 0);
    c.SetValue(489, o.password);
    QVector<int> sensors = o.sensors;
    if (sensors.isEmpty()) {
        if (const ModelInfo* m = ModelInfo::Find(o.productCode))
            for (uint8_t t : m->sensorTypes)
                sensors << t;
    }
    sensors.resize(8);
    for (int i = 0; i < 8; ++i) {
        using namespace SensorParameters;
        c.SetValue(Number(i, Type), sensors[i]);
        c.SetValue(Number(i, DisplayMode), 0);
        c.SetValue(Number(i, DensityCorrection), 0);
        c.SetValue(Number(i, Value), 0);
        c.SetReadOnly(Number(i, Value));
        c.SetText(1228 + i, {});  // user name of the input: a byte-string parameter
    }
    for (int n : {0, 2, 6})
        c.SetReadOnly(n);
    // A bus address the bus cannot carry, or the SMS module's, is refused.
    c.writeCheck = [this](CBusDevice&, int number, int64_t value) -> uint8_t {
        if (number != 5)
            return 0;
        const bool taken = m_sms && value == m_sms->Address();
        return value < 0 || value > MaxDeviceAddress || taken ? CBusDevice::kRefusalValue : 0;
    };
    // The bus address follows parameter 5 once the write has been acknowledged.
    c.afterWrite = [this](CBusDevice& d, int number) {
        if (number == 5 && d.Value(5) >= 0 && d.Value(5) <= MaxDeviceAddress)
            m_addressChange = static_cast<int>(d.Value(5));
    };
    if (o.sms) {
        m_sms = std::make_unique<CBusDevice>(SmsModuleAddress, ModelInfo::SmsModuleProductCode);
        m_sms->SetValue(0, o.smsFirmware);
        m_sms->SetValue(6, static_cast<int64_t>(o.serial) + 1);
        for (int n : {0, 2, 6})
            m_sms->SetReadOnly(n);
    } else {
        m_sms.reset();
    }
}

CBusDevice* CDeviceModel::DeviceAt(uint8_t address)
{
    if (m_controller && m_controller->Address() == address)
        return m_controller.get();
    if (m_sms && m_sms->Address() == address)
        return m_sms.get();
    return nullptr;
}

void CDeviceModel::SetFaults(const Faults& faults)
{
    m_faults = faults;
    m_random.seed(faults.seed);
    m_answeredFrames = 0;
    m_linkClosed = false;
}

void CDeviceModel::ResetLink()
{
    ApplyAddressChange();
    m_input.clear();
    for (Pending& p : m_pending)
        p = Pending();
    m_answeredFrames = 0;
    m_linkClosed = false;
}

void CDeviceModel::ApplyAddressChange()
{
    if (m_addressChange < 0)
        return;
    const auto address = static_cast<uint8_t>(m_addressChange);
    m_addressChange = -1;
    // The SMS module keeps its fixed address; the controller cannot take it over.
    if (!(m_sms && address == m_sms->Address()))
        m_controller->SetAddress(address);
}

void CDeviceModel::Record(const Access& access)
{
    if (m_logEnabled)
        m_log.append(access);
    if (onAccess)
        onAccess(access);
}

QVector<QPair<int, int64_t>> CDeviceModel::Writes() const
{
    QVector<QPair<int, int64_t>> out;
    for (const Access& a : m_log)
        if (a.kind == Access::Write)
            out.append({a.number, a.value});
    return out;
}

QByteArray CDeviceModel::Feed(const QByteArray& incoming)
{
    if (m_linkClosed)
        return {};
    if (m_rawHandler) {
        QByteArray answer;
        if (m_rawHandler(incoming, answer))
            return answer;
    }
    m_input.append(incoming);
    QByteArray out;
    for (;;) {
        const qsizetype soh = m_input.indexOf(SOH);
        if (soh < 0) {
            m_input.clear();
            break;
        }
        m_input.remove(0, soh);
        const qsizetype eot = m_input.indexOf(EOT);
        if (eot < 0) {
            if (m_input.size() > kMaxInput)
                m_input.clear();
            break;
        }
        const QByteArray frame = m_input.left(eot + 1);
        m_input.remove(0, eot + 1);
        out.append(HandleFrame(frame));
        if (m_linkClosed)
            break;
    }
    return out;
}

QByteArray CDeviceModel::HandleFrame(const QByteArray& f)
{
    const auto at = [&f](qsizetype i) { return static_cast<uint8_t>(f[i]); };
    if (f.size() < 5 || at(2) != PcAddress + AddressBase || at(3) != CFrameCodec::FrameChecksum(f.constData(), 3))
        return {};
    if (at(1) < AddressBase)
        return {};
    const uint8_t address = at(1) - AddressBase;
    CBusDevice* device = DeviceAt(address);
    if (!device || device->IsSilent())
        return {};
    Pending& pending = m_pending[address <= MaxDeviceAddress ? address : 0];

    if (f.size() == 5 && at(4) == static_cast<uint8_t>(EOT))
        return AnswerPoll(*device);
    // A new request: an address change whose acknowledgement nobody fetched is due now.
    if (m_addressChange >= 0) {
        ApplyAddressChange();
        if (DeviceAt(address) != device)
            return {};
    }

    // Request: STX, number nibbles, ENQ or value nibbles, ETX, checksum, EOT.
    if (at(4) != static_cast<uint8_t>(STX) || f.size() < 9)
        return {};
    const qsizetype etx = f.size() - 3;
    if (at(etx) != static_cast<uint8_t>(ETX) || at(etx + 1) != CFrameCodec::FrameChecksum(f.constData(), etx + 1))
        return {};
    qsizetype i = 5;
    while (i < etx && IsNumberNibble(at(i)))
        ++i;
    if (i == 5)
        return {};
    const QByteArray numberField = f.mid(5, i - 5);
    Pending p;
    p.valid = true;
    p.number = static_cast<int16_t>(CFrameCodec::DecodeNibblesRaw(numberField) & 0xFFFF);
    if (i < etx && at(i) == static_cast<uint8_t>(ENQ) && i + 1 == etx) {
        p.isRead = true;
    } else {
        const qsizetype start = i;
        while (i < etx && IsValueNibble(at(i)))
            ++i;
        if (i != etx || i == start)
            return {};
        p.answer = ApplyWriteRequest(*device, p.number, f.mid(start, i - start));
    }
    pending = p;
    return {};
}

QByteArray CDeviceModel::ApplyWriteRequest(CBusDevice& device, int number, const QByteArray& valueField)
{
    const uint8_t address = device.Address();
    // A value field of more than eight nibbles can only be a byte string.
    const bool text = device.IsText(number) || valueField.size() > 8;
    const QByteArray bytes = text ? CFrameCodec::DecodeBytes(valueField) : QByteArray();
    const auto value = static_cast<int32_t>(CFrameCodec::DecodeNibblesRaw(valueField));
    if (text)
        Record({Access::WriteText, address, number, 0, bytes});
    else
        Record({Access::Write, address, number, value, {}});
    uint8_t refusal = 0;
    if (m_faults.refuse.contains(number))
        refusal = kRefusalRefused;
    else if (text)
        refusal = device.ApplyTextWrite(number, bytes);
    else
        refusal = device.ApplyWrite(number, value);
    return refusal ? RefusalFrame(address, refusal) : AckFrame(address);
}

QByteArray CDeviceModel::AnswerPoll(CBusDevice& device)
{
    const uint8_t address = device.Address();
    Pending& p = m_pending[address];
    if (!p.valid)
        return {};
    const Pending request = p;
    p = Pending();

    QByteArray answer;
    if (request.isRead) {
        if (device.beforeRead)
            device.beforeRead(device, request.number);
        QByteArray field;
        if (device.IsText(request.number)) {
            const QByteArray text = device.Text(request.number);
            field = CFrameCodec::EncodeBytes(text.isEmpty() ? QByteArray(1, '\0') : text);
        } else {
            field = ValueField(request.number, device.Value(request.number));
        }
        Record({Access::Read, address, request.number, device.Value(request.number), device.Text(request.number)});
        answer = ReadAnswer(address, request.number, field);
    } else {
        answer = request.answer;
    }
    answer = ApplyFaults(answer);
    ApplyAddressChange();
    return answer;
}

QByteArray CDeviceModel::ApplyFaults(QByteArray answer)
{
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (m_faults.dropRate > 0.0 && chance(m_random) < m_faults.dropRate)
        return {};
    if (m_faults.garbleRate > 0.0 && chance(m_random) < m_faults.garbleRate && !answer.isEmpty()) {
        std::uniform_int_distribution<qsizetype> pos(1, answer.size() - 2);
        std::uniform_int_distribution<int> bits(1, 255);
        const qsizetype i = answer.size() > 2 ? pos(m_random) : 0;
        char b = static_cast<char>(answer[i] ^ static_cast<char>(bits(m_random)));
        if (b == EOT)  // keep the frame's length so the PC sees a bad frame, not a short one
            b = 0x7F;
        answer[i] = b;
    }
    ++m_answeredFrames;
    if (m_faults.closeAfterFrames >= 0 && m_answeredFrames >= m_faults.closeAfterFrames)
        m_linkClosed = true;
    return answer;
}

QByteArray CDeviceModel::ValueField(int number, int64_t value)
{
    const auto v = static_cast<int32_t>(static_cast<uint32_t>(value & 0xFFFFFFFF));
    QByteArray field = CFrameCodec::EncodeNibbles(static_cast<uint32_t>(v), ValueBase);
    // A positive value whose highest nibble has bit 3 set would read back negative.
    if (v >= 0 && (static_cast<uint8_t>(field.back()) & 0x08))
        field.append(static_cast<char>(ValueBase));
    const qsizetype numberNibbles =
        CFrameCodec::EncodeNibbles(static_cast<uint32_t>(static_cast<int16_t>(number)), NumberBase).size();
    while (numberNibbles + field.size() < 4) {
        // Pad with the sign so both readings stay the same.
        field.append(static_cast<char>(v < 0 ? (ValueBase | 0x0F) : ValueBase));
    }
    return field;
}

QByteArray CDeviceModel::ReadAnswer(uint8_t address, int number, const QByteArray& valueField)
{
    QByteArray a = CFrameCodec::Header(PcAddress + AddressBase, address + AddressBase);
    a.append(STX);
    a.append(CFrameCodec::EncodeNibbles(static_cast<uint32_t>(static_cast<int16_t>(number)), NumberBase));
    a.append(valueField);
    CFrameCodec::CloseFrame(a);
    return a;
}

QByteArray CDeviceModel::AckFrame(uint8_t address)
{
    QByteArray a = CFrameCodec::Header(PcAddress + AddressBase, address + AddressBase);
    a.append(STX);
    a.append(ACK);
    CFrameCodec::CloseFrame(a);
    return a;
}

QByteArray CDeviceModel::RefusalFrame(uint8_t address, uint8_t code)
{
    QByteArray a = CFrameCodec::Header(PcAddress + AddressBase, address + AddressBase);
    a.append(STX);
    a.append(NAK);
    a.append(static_cast<char>(code));
    CFrameCodec::CloseFrame(a);
    return a;
}
