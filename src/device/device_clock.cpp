#include "device/device_clock.h"

#include <array>

#include "device/bcd.h"
#include "device/text_entry.h"

namespace kt::device {
namespace {

constexpr std::uint16_t kClockRegister = 0x6010;
constexpr std::uint16_t kClockWordCount = 4;

struct FieldRule {
    ClockField field;
    std::string_view ClockEntry::*text;
    int DateTime::*value;
    int lowest;
    int highest;
};

constexpr std::array<FieldRule, 6> kFieldRules{{
    {ClockField::Year, &ClockEntry::year, &DateTime::year, 2010, 9999},
    {ClockField::Month, &ClockEntry::month, &DateTime::month, 0, 12},
    {ClockField::Day, &ClockEntry::day, &DateTime::day, 0, 31},
    {ClockField::Hour, &ClockEntry::hour, &DateTime::hour, 0, 23},
    {ClockField::Minute, &ClockEntry::minute, &DateTime::minute, 0, 59},
    {ClockField::Second, &ClockEntry::second, &DateTime::second, 0, 59},
}};

}  // namespace

Bytes clockReadRequest()
{
    return readRequest(Function::ReadHoldingRegisters, kClockRegister, kClockWordCount);
}

DateTime clockTimeFromReply(std::span<const std::uint8_t> reply)
{
    const auto data = reply.subspan(kReplyDataOffset);
    return {.year = bcdYearToInt(data[0], data[1]),
            .month = bcdToInt(data[2]),
            .day = bcdToInt(data[3]),
            .hour = bcdToInt(data[4]),
            .minute = bcdToInt(data[5]),
            .second = bcdToInt(data[7])};
}

ClockEntryResult parseClockEntry(const ClockEntry& entry)
{
    DateTime time;
    for (const FieldRule& rule : kFieldRules) {
        const std::int64_t value = parseInteger(entry.*rule.text);
        if (value < rule.lowest || value > rule.highest)
            return {.time = std::nullopt, .rejectedField = rule.field};
        time.*rule.value = static_cast<int>(value);
    }
    return {.time = time, .rejectedField = std::nullopt};
}

Bytes clockWriteRequest(const DateTime& time)
{
    // The header is laid out like a read request's: function, register, word count.
    Bytes request = readRequest(Function::WriteClockRegisters, kClockRegister, kClockWordCount);
    const std::array<std::uint8_t, 8> data{
        intToBcd(time.year / 100), intToBcd(time.year % 100), intToBcd(time.month),
        intToBcd(time.day),        intToBcd(time.hour),       intToBcd(time.minute),
        0x00,                      intToBcd(time.second),
    };
    request.insert(request.end(), data.begin(), data.end());
    return request;
}

}  // namespace kt::device
