#include "device/device_clock.h"

#include "device/bcd.h"
#include "device/frames.h"
#include "device/text_entry.h"

namespace kt::device {
namespace {

constexpr std::uint16_t kClockRegister = 0x6010;
constexpr std::uint16_t kClockWordCount = 4;

}  // namespace

Command<DateTime> clockRead()
{
    return {.request = readRequest(Function::ReadHoldingRegisters, kClockRegister, kClockWordCount),
            .replyLength = readReplyLength(kClockWordCount),
            .decode = [](std::span<const std::uint8_t> reply) {
                const auto data = reply.subspan(kReplyDataOffset);
                return DateTime{.year = bcdYearToInt(data[0], data[1]),
                                .month = bcdToInt(data[2]),
                                .day = bcdToInt(data[3]),
                                .hour = bcdToInt(data[4]),
                                .minute = bcdToInt(data[5]),
                                .second = bcdToInt(data[7])};
            }};
}

ClockEntryResult parseClockEntry(const ClockEntry& entry)
{
    DateTime time;
    for (std::size_t i = 0; i < kClockFields.size(); ++i) {
        const ClockField& field = kClockFields[i];
        const std::int64_t value = parseInteger(entry[i]);
        if (value < field.lowest || value > field.highest)
            return {.time = std::nullopt, .rejected = &field};
        time.*field.value = static_cast<int>(value);
    }
    return {.time = time};
}

Command<bool> clockWrite(const DateTime& time)
{
    // The header is laid out like a read request's: function, register, word count.
    Bytes request = readRequest(Function::WriteClockRegisters, kClockRegister, kClockWordCount);
    const std::array<std::uint8_t, 8> data{
        intToBcd(time.year / 100), intToBcd(time.year % 100), intToBcd(time.month),
        intToBcd(time.day),        intToBcd(time.hour),       intToBcd(time.minute),
        0x00,                      intToBcd(time.second),
    };
    request.insert(request.end(), data.begin(), data.end());
    return writeCommand(std::move(request));
}

}  // namespace kt::device
