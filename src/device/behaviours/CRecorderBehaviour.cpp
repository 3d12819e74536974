// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CRecorderBehaviour.h"

#include <algorithm>
#include <bit>

#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"

CRecorderBehaviour::CRecorderBehaviour(CDeviceClock& clock, uint32_t seed, int capacity)
    : m_clock(clock), m_source(clock, seed), m_capacity(std::max(1, capacity)) {}

bool CRecorderBehaviour::IsVolatile(int number) const {
    return number == kStored || (number >= kCapacity && number <= kNext);
}

int CRecorderBehaviour::Interval(const CBusDevice& device) const {
    return static_cast<int>(std::clamp<int64_t>(device.Value(kInterval), 1, 720));
}

uint8_t CRecorderBehaviour::Mask(const CBusDevice& device) const {
    return static_cast<uint8_t>(device.Value(kMask) & 0xFF);
}

void CRecorderBehaviour::Attach(CBusDevice& device) {
    if (!device.Has(kInterval)) device.SetValue(kInterval, 15);
    if (!device.Has(kMask)) device.SetValue(kMask, 0);
    if (!device.Has(kSetting)) device.SetValue(kSetting, 8);
    for (int n : {kStored, kCapacity, kNewestTime, kNewestDay, kUsed, kRecord})
        device.SetReadOnly(n, n != kStored);
    device.SetText(kRecord, QByteArray());
    m_lastRecordMs = m_clock.ElapsedMs();
    Publish(device);

    device.AddBeforeRead([this](CBusDevice& d, int n) {
        CatchUp(d);
        if (n == kStored) m_cursor = 0;  // a download starts with the oldest record
        if (n == kRecord) {
            const int count = std::popcount(Mask(d));
            QByteArray text;
            for (int64_t i = m_cursor; i < m_cursor + count && i < StoredValues(); ++i) {
                const auto v = static_cast<uint16_t>(m_values[static_cast<size_t>(i)]);
                text.append(static_cast<char>(v & 0xFF));
                text.append(static_cast<char>(v >> 8));
            }
            d.SetText(kRecord, text);
        }
    });
    device.AddWriteCheck([](CBusDevice&, int n, int64_t v) -> uint8_t {
        if ((n == kInterval && (v < 1 || v > 720)) || (n == kSetting && (v < 8 || v > 600)) ||
            (n == kMask && (v < 0 || v > 255)) || ((n == kStored || n == kNext) && v != 0))
            return CBusDevice::kRefusalValue;
        return 0;
    });
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n == kStored) {
            Clear();
            m_lastRecordMs = m_clock.ElapsedMs();
        } else if (n == kNext) {
            m_cursor = std::min(m_cursor + std::popcount(Mask(d)), StoredValues());
        } else if (n == kInterval || n == kMask) {
            // The next record comes one new interval after the change.
            CatchUp(d);
            m_lastRecordMs = m_clock.ElapsedMs();
        }
        Publish(d);
    });
}

void CRecorderBehaviour::Restart(CBusDevice& device) {
    // The memory survives a restart; only the reading position starts again.
    m_cursor = 0;
    m_lastRecordMs = m_clock.ElapsedMs();
    Publish(device);
}

void CRecorderBehaviour::Clear() {
    m_values.clear();
    m_cursor = 0;
    m_newestWallMs = -1;
}

void CRecorderBehaviour::CatchUp(CBusDevice& device) {
    const int64_t now = m_clock.ElapsedMs();
    const int64_t step = Interval(device) * CDeviceClock::kMsPerMinute;
    const int count = std::popcount(Mask(device));
    if (now - m_lastRecordMs < step) return;
    int64_t due = (now - m_lastRecordMs) / step;
    if (count == 0) {
        m_lastRecordMs += due * step;
        return;
    }
    // Records older than the memory holds would be pushed out at once: skip them.
    const int64_t fits = m_capacity / count;
    if (due > fits) {
        m_lastRecordMs += (due - fits) * step;
        due = fits;
    }
    for (int64_t k = 0; k < due; ++k) {
        m_lastRecordMs += step;
        Record(device, m_lastRecordMs);
    }
    Publish(device);
}

void CRecorderBehaviour::Record(CBusDevice& device, int64_t elapsedMs) {
    const uint8_t mask = Mask(device);
    const int count = std::popcount(mask);
    if (count == 0) return;
    while (StoredValues() + count > m_capacity && !m_values.empty()) {
        // Full: the oldest record makes room, and a download in progress stays in step.
        const int drop = static_cast<int>(std::min<int64_t>(count, StoredValues()));
        m_values.erase(m_values.begin(), m_values.begin() + drop);
        m_cursor = std::max<int64_t>(0, m_cursor - drop);
    }
    for (int i = 0; i < 8; ++i) {
        if (!(mask & (1u << i))) continue;
        const int type = static_cast<int>(device.Value(CLiveValuesBehaviour::TypeParameter(i)));
        const int64_t setpoint = device.Value(CLiveValuesBehaviour::SetpointParameter(i));
        const int64_t raw = m_source.ValueAt(i, type, setpoint, elapsedMs);
        m_values.push_back(static_cast<int16_t>(std::clamp<int64_t>(raw, -32768, 32767)));
    }
    m_newestWallMs = m_clock.WallMs() - (m_clock.ElapsedMs() - elapsedMs);
}

void CRecorderBehaviour::Fill(CBusDevice& device, int records) {
    Clear();
    const int64_t now = m_clock.ElapsedMs();
    const int64_t step = Interval(device) * CDeviceClock::kMsPerMinute;
    const int count = std::max(1, std::popcount(Mask(device)));
    records = std::clamp(records, 0, m_capacity / count);
    for (int k = records - 1; k >= 0; --k) Record(device, now - k * step);
    m_lastRecordMs = now;
    Publish(device);
}

void CRecorderBehaviour::Publish(CBusDevice& device) {
    device.SetValue(kStored, StoredValues());
    device.SetValue(kUsed, StoredValues());
    device.SetValue(kCapacity, m_capacity);
    const int64_t wall = m_newestWallMs < 0 ? 0 : m_newestWallMs;
    const int64_t minutes = wall / CDeviceClock::kMsPerMinute;
    device.SetValue(kNewestTime, minutes % (24 * 60));
    device.SetValue(kNewestDay, minutes / (24 * 60));
}
