#include "sim/event_log.h"

#include <algorithm>

namespace kt::sim {

LogRecord makeLogRecord(const ClockTime& time, std::uint8_t codeB, std::uint8_t codeA, std::uint16_t distance)
{
    const auto clock = encodeClock(time);
    LogRecord record{};
    std::copy_n(clock.begin(), 6, record.begin());  // the record has no seconds
    record[6] = codeB;
    record[7] = codeA;
    record[8] = static_cast<std::uint8_t>(distance >> 8);
    record[9] = static_cast<std::uint8_t>(distance & 0xFF);
    return record;
}

void EventLog::setRecords(std::vector<LogRecord> records)
{
    records.resize(std::min(records.size(), kCapacity));
    records_ = std::move(records);
}

void EventLog::append(const LogRecord& record)
{
    if (records_.size() == kCapacity)
        records_.erase(records_.begin());
    records_.push_back(record);
}

std::uint16_t EventLog::reportedCount() const
{
    return forcedCount_.value_or(static_cast<std::uint16_t>(records_.size()));
}

std::vector<std::uint8_t> EventLog::readArea(std::size_t offset, std::size_t length) const
{
    std::vector<std::uint8_t> area(kAreaBytes, 0xFF);
    for (std::size_t index = 0; index < records_.size(); ++index)
        std::copy(records_[index].begin(), records_[index].end(), area.begin() + index * kLogRecordBytes);
    return {area.begin() + offset, area.begin() + offset + length};
}

}  // namespace kt::sim
