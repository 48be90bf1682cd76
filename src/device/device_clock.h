#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "device/command.h"
#include "device/date_time.h"

// The controller's calendar clock, which time-stamps its event log. It lies in four registers
// from 0x6010 as eight BCD bytes: century, year, month, day, hour, minute, a spare byte, second.
namespace kt::device {

// The time a read reply carries, unchecked: whatever the BCD bytes decode to (0x1A as 20).
Command<DateTime> clockRead();

// For a time that parseClockEntry accepted. Function 0x10 but, unlike a standard multiple
// write, without a byte count before the data: 15 bytes here, 16 with address and checksum.
Command<bool> clockWrite(const DateTime& time);

inline constexpr std::string_view kClockSetText = "设置时间成功!!!";
inline constexpr std::string_view kClockRefusedText = "设置时间失败!!!";

// One of the six clock fields: the part of the time it holds, the numbers it takes (four BCD
// digits for the year; a day up to 31 in any month) and the message that refuses any other.
struct ClockField {
    int DateTime::*value;
    int lowest;
    int highest;
    std::string_view refusalText;
};

// In the order the fields are shown and checked: year, month, day, hour, minute, second.
inline constexpr std::array<ClockField, 6> kClockFields{{
    {&DateTime::year, 2010, 9999, "输入年份错误，请重新输入!!!"},
    {&DateTime::month, 0, 12, "输入月份错误，请重新输入!!!"},
    {&DateTime::day, 0, 31, "输入日期错误，请重新输入!!!"},
    {&DateTime::hour, 0, 23, "输入小时错误，请重新输入!!!"},
    {&DateTime::minute, 0, 59, "输入分钟错误，请重新输入!!!"},
    {&DateTime::second, 0, 59, "输入秒错误，请重新输入!!!"},
}};

// The operator's texts of the six fields, in kClockFields order.
using ClockEntry = std::array<std::string_view, kClockFields.size()>;

// Exactly one of the two is set.
struct ClockEntryResult {
    std::optional<DateTime> time;         // every field in range
    const ClockField* rejected = nullptr;  // the first field out of range
};

// Each field is read leniently and judged on its own. An empty field reads as 0, which only
// the year refuses.
ClockEntryResult parseClockEntry(const ClockEntry& entry);

}  // namespace kt::device
