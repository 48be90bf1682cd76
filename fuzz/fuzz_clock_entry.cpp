// The operator's six clock fields: judged one by one, and an accepted time goes to the
// controller and comes back from it unchanged.
#include <array>
#include <string>

#include "device/device_clock.h"
#include "device/frames.h"
#include "device/text_entry.h"
#include "fuzz_support.h"
#include "serial/exchange.h"

using namespace kt::device;
using kt::fuzz::expect;

namespace {

struct FieldRange {
    int lowest;
    int highest;
};

// In the order of the fields: year, month, day, hour, minute, second.
constexpr FieldRange kRanges[] = {{2010, 9999}, {0, 12}, {0, 31}, {0, 23}, {0, 59}, {0, 59}};

// The clock read reply that carries the data of a clock write request.
kt::fuzz::Bytes readReplyFor(const Bytes& writeRequest)
{
    constexpr std::size_t kHeader = 5;  // function, register, word count
    Bytes body{static_cast<std::uint8_t>(Function::ReadHoldingRegisters), 8};
    body.insert(body.end(), writeRequest.begin() + kHeader, writeRequest.end());
    return kt::serial::frameRequest(0x01, body);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::array<std::string, kClockFields.size()> texts;
    ClockEntry entry;
    for (std::size_t field = 0; field < texts.size(); ++field) {
        texts[field] = input.ConsumeRandomLengthString(24);
        entry[field] = texts[field];
    }
    const ClockEntryResult result = parseClockEntry(entry);
    expect(result.time.has_value() != (result.rejected != nullptr), "exactly one outcome");

    // The first field out of range is the one refused; every field before it passed.
    std::size_t firstRefused = texts.size();
    for (std::size_t field = 0; field < texts.size() && firstRefused == texts.size(); ++field) {
        const std::int64_t value = parseInteger(texts[field]);
        if (value < kRanges[field].lowest || value > kRanges[field].highest)
            firstRefused = field;
    }
    if (result.rejected) {
        expect(result.rejected == &kClockFields[firstRefused], "the first bad field");
        return 0;
    }
    expect(firstRefused == texts.size(), "an accepted time has every field in range");

    const DateTime& time = *result.time;
    const Command<bool> write = clockWrite(time);
    expect(write.request.size() == 13, "a clock write carries eight bytes after its header");
    const Command<DateTime> read = clockRead();
    const kt::fuzz::Bytes reply = readReplyFor(write.request);
    expect(reply.size() == read.replyLength, "the read reply has the clock's length");
    const DateTime back = read.decode(reply);
    expect(back.year == time.year && back.month == time.month && back.day == time.day
               && back.hour == time.hour && back.minute == time.minute
               && back.second == time.second,
           "a time written is the time read back");
    return 0;
}
