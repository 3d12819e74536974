// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's recorder: every interval (780, minutes of device time) it stores the
// values of the inputs ticked in the mask (781) in its memory, and the PC reads them back
// one record at a time. The device clock's time scale makes it record faster for demos.
//
// Parameters: 780 interval 1..720, 781 mask (bit i = input i), 782 setting 8..600;
// 1160 stored values (writing 0 clears; reading it starts the next download at the oldest
// record), 1162 capacity, 1163/1164 time of day and day number of the newest record,
// 1165 memory used; 1166 the next record as text, two bytes (low first) per ticked input;
// writing 1167 = 0 moves on to the following record.
//
// Use: model.Controller() gets it through CLiveController::Add(std::make_unique<
// CRecorderBehaviour>(live.Clock(), seed)) with the same seed as the live values, so the
// recorded values are the ones the live values showed at that time. Fill() pre-loads
// history (a week of data at once); with a manual clock, Clock().Advance() makes records.
#pragma once

#include <cstdint>
#include <deque>

#include "device/CDeviceBehaviour.h"
#include "device/behaviours/CLiveValuesBehaviour.h"

class CDeviceClock;

class CRecorderBehaviour : public CDeviceBehaviour {
public:
    static constexpr int kInterval = 780;
    static constexpr int kMask = 781;
    static constexpr int kSetting = 782;
    static constexpr int kStored = 1160;
    static constexpr int kCapacity = 1162;
    static constexpr int kNewestTime = 1163;
    static constexpr int kNewestDay = 1164;
    static constexpr int kUsed = 1165;
    static constexpr int kRecord = 1166;
    static constexpr int kNext = 1167;

    // capacity: how many values (all inputs together) the memory holds.
    CRecorderBehaviour(CDeviceClock& clock, uint32_t seed = 1, int capacity = 32000);

    void Attach(CBusDevice& device) override;
    void Restart(CBusDevice& device) override;
    bool IsVolatile(int number) const override;

    // Records every interval that has passed since the last record.
    void CatchUp(CBusDevice& device);
    // Replaces the memory with records ending now, one interval apart, as if the recorder
    // had been running that long with the current mask.
    void Fill(CBusDevice& device, int records);

    int64_t StoredValues() const { return static_cast<int64_t>(m_values.size()); }
    int Capacity() const { return m_capacity; }

private:
    int Interval(const CBusDevice& device) const;
    uint8_t Mask(const CBusDevice& device) const;
    void Record(CBusDevice& device, int64_t elapsedMs);
    void Publish(CBusDevice& device);
    void Clear();

    CDeviceClock& m_clock;
    CLiveValuesBehaviour m_source;
    int m_capacity;
    std::deque<int16_t> m_values;
    int64_t m_cursor = 0;         // index of the next value a download reads
    int64_t m_lastRecordMs = 0;   // device time of the newest record (or of the start)
    int64_t m_newestWallMs = -1;  // wall time of the newest record, -1 none
};
