#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "device/channel.h"
#include "device/channel_status.h"
#include "device/date_time.h"

// One event of the controller's log, as 10 bytes in a log block reply: the alarm time in BCD
// (century, year, month, day, hour, minute; no seconds), channel B's alarm code, channel A's
// alarm code, and the distance to the wet point, high byte first.
namespace kt::device {

inline constexpr std::size_t kLogRecordSize = 10;

struct LogRecord {
    DateTime time;                   // a record carries no seconds: second stays 0
    std::uint8_t channelBCode = 0;   // 1 leak, 2 cable break, anything else no event
    std::uint8_t channelACode = 0;   // likewise
    std::uint16_t leakDistance = 0;  // hundredths of a metre; 0xFFFF has no special meaning
};

// Reads the first kLogRecordSize bytes of `bytes`; nothing is validated (0x1A decodes as 20).
LogRecord decodeLogRecord(std::span<const std::uint8_t> bytes);

struct LogEvent {
    Channel channel;
    ChannelStatus alarm;  // Leak or Break
};

// The record's event. Channel B is looked at first and channel A overrides it, so a record
// with alarms on both channels is channel A's event; none when neither code is 1 or 2.
std::optional<LogEvent> loggedEvent(const LogRecord& record);

}  // namespace kt::device
