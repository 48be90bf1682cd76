#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/controller_clock.h"

namespace kt::sim {

// Century, year, month, day, hour, minute (BCD), channel B code, channel A code, distance
// (hundredths of a metre, high byte first).
inline constexpr std::size_t kLogRecordBytes = 10;
using LogRecord = std::array<std::uint8_t, kLogRecordBytes>;

LogRecord makeLogRecord(const ClockTime& time, std::uint8_t codeB, std::uint8_t codeA, std::uint16_t distance);

// The controller's event log: a fixed area of records that block reads address by byte offset.
class EventLog {
public:
    static constexpr std::size_t kCapacity = 40;
    static constexpr std::size_t kAreaBytes = kCapacity * kLogRecordBytes;

    // Keeps the first kCapacity records.
    void setRecords(std::vector<LogRecord> records);
    const std::vector<LogRecord>& records() const { return records_; }
    // A full log drops its oldest record.
    void append(const LogRecord& record);
    void clear() { records_.clear(); }

    // The count reported to the console; forcing one lets it disagree with the records held.
    void forceReportedCount(std::optional<std::uint16_t> count) { forcedCount_ = count; }
    std::uint16_t reportedCount() const;

    // `length` bytes of the area from `offset`; space past the records reads as erased (0xFF).
    // The range must lie within kAreaBytes.
    std::vector<std::uint8_t> readArea(std::size_t offset, std::size_t length) const;

private:
    std::vector<LogRecord> records_;
    std::optional<std::uint16_t> forcedCount_;
};

}  // namespace kt::sim
