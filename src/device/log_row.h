#pragma once

#include <array>
#include <string>
#include <string_view>

#include "device/log_record.h"

// How a downloaded log record reads in the event table and in the export file.
namespace kt::device {

// The five column texts, UTF-8; an empty text is an empty cell.
struct LogRow {
    std::string number;     // position within this download, from 0
    std::string alarmTime;  // "2010-7-7 9:5": no leading zeros
    std::string channel;    // "A", "B" or empty
    std::string alarmType;  // "泄露", "断线" or empty
    std::string leakPoint;  // metres with two decimals for a leak, otherwise empty

    // Views into this row, so only on a row that outlives them.
    std::array<std::string_view, 5> inColumnOrder() const&
    {
        return {number, alarmTime, channel, alarmType, leakPoint};
    }
    std::array<std::string_view, 5> inColumnOrder() const&& = delete;
};

LogRow logRow(int rowNumber, const LogRecord& record);

}  // namespace kt::device
