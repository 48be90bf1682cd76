#include "device/log_record.h"

#include "device/bcd.h"
#include "device/frames.h"

namespace kt::device {
namespace {

std::optional<ChannelStatus> alarmOf(std::uint8_t code)
{
    const std::optional<ChannelStatus> status = channelStatus(code);
    if (status == ChannelStatus::Normal)
        return std::nullopt;
    return status;
}

}  // namespace

LogRecord decodeLogRecord(std::span<const std::uint8_t> bytes)
{
    return {.time = {.year = bcdYearToInt(bytes[0], bytes[1]),
                     .month = bcdToInt(bytes[2]),
                     .day = bcdToInt(bytes[3]),
                     .hour = bcdToInt(bytes[4]),
                     .minute = bcdToInt(bytes[5])},
            .channelBCode = bytes[6],
            .channelACode = bytes[7],
            .leakDistance = wordAt(bytes, 8)};
}

std::optional<LogEvent> loggedEvent(const LogRecord& record)
{
    if (const auto alarm = alarmOf(record.channelACode))
        return LogEvent{Channel::A, *alarm};
    if (const auto alarm = alarmOf(record.channelBCode))
        return LogEvent{Channel::B, *alarm};
    return std::nullopt;
}

}  // namespace kt::device
