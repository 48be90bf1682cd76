#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "device/bytes.h"
#include "device/date_time.h"
#include "device/frames.h"

// The controller's calendar clock, which time-stamps its event log. It lies in four registers
// from 0x6010 as eight BCD bytes: century, year, month, day, hour, minute, a spare byte, second.
namespace kt::device {

Bytes clockReadRequest();
inline constexpr std::size_t kClockReadReplyLength = readReplyLength(4);

// The time a read reply carries, unchecked: whatever the BCD bytes decode to (0x1A as 20).
DateTime clockTimeFromReply(std::span<const std::uint8_t> reply);

// The six clock fields in the order they are checked.
enum class ClockField { Year, Month, Day, Hour, Minute, Second };

// The operator's texts of the six clock fields.
struct ClockEntry {
    std::string_view year;
    std::string_view month;
    std::string_view day;
    std::string_view hour;
    std::string_view minute;
    std::string_view second;
};

// Exactly one of the two is set.
struct ClockEntryResult {
    std::optional<DateTime> time;             // every field in range
    std::optional<ClockField> rejectedField;  // the first field out of range
};

// Each field is read leniently and judged on its own: year 2010 to 9999 (four BCD digits on
// the wire), month 0 to 12, day 0 to 31 in any month, hour 0 to 23, minute and second 0 to
// 59. An empty field reads as 0, which only the year refuses.
ClockEntryResult parseClockEntry(const ClockEntry& entry);

// For a time that parseClockEntry accepted. Function 0x10 but, unlike a standard multiple
// write, without a byte count before the data: 15 bytes here, 16 with address and checksum.
Bytes clockWriteRequest(const DateTime& time);
inline constexpr std::size_t kClockWriteReplyLength = kWriteReplyLength;

}  // namespace kt::device
