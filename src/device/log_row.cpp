#include "device/log_row.h"

#include "device/value_format.h"

namespace kt::device {
namespace {

std::string alarmTimeText(const DateTime& time)
{
    return std::to_string(time.year) + '-' + std::to_string(time.month) + '-'
        + std::to_string(time.day) + ' ' + std::to_string(time.hour) + ':'
        + std::to_string(time.minute);
}

}  // namespace

LogRow logRow(int rowNumber, const LogRecord& record)
{
    LogRow row;
    row.number = std::to_string(rowNumber);
    row.alarmTime = alarmTimeText(record.time);
    if (const std::optional<LogEvent> event = loggedEvent(record)) {
        row.channel = channelName(event->channel);
        row.alarmType = channelStatusText(event->alarm);
        if (event->alarm == ChannelStatus::Leak)
            row.leakPoint = formatHundredths(record.leakDistance);
    }
    return row;
}

}  // namespace kt::device
