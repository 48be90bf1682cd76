// The operator's six clock fields: judged one by one, and an accepted time goes to the
// controller and comes back from it unchanged.
#include <string>

#include "device/device_clock.h"
#include "device/frames.h"
#include "device/text_entry.h"
#include "fuzz_support.h"

using namespace kt::device;
using kt::fuzz::expect;

namespace {

struct FieldRange {
    int lowest;
    int highest;
};

// Indexed by ClockField.
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
    std::string texts[6];
    for (std::string& text : texts)
        text = input.ConsumeRandomLengthString(24);
    const ClockEntry entry{texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]};
    const ClockEntryResult result = parseClockEntry(entry);
    expect(result.time.has_value() != result.rejectedField.has_value(), "exactly one outcome");

    // The first field out of range is the one refused; every field before it passed.
    int firstRefused = 6;
    for (int field = 0; field < 6 && firstRefused == 6; ++field) {
        const std::int64_t value = parseInteger(texts[field]);
        if (value < kRanges[field].lowest || value > kRanges[field].highest)
            firstRefused = field;
    }
    if (result.rejectedField) {
        expect(static_cast<int>(*result.rejectedField) == firstRefused, "the first bad field");
        return 0;
    }
    expect(firstRefused == 6, "an accepted time has every field in range");

    const DateTime& time = *result.time;
    const Bytes request = clockWriteRequest(time);
    expect(request.size() == 13, "a clock write carries eight bytes after its header");
    const kt::fuzz::Bytes reply = readReplyFor(request);
    expect(reply.size() == kClockReadReplyLength, "the read reply has the clock's length");
    const DateTime back = clockTimeFromReply(reply);
    expect(back.year == time.year && back.month == time.month && back.day == time.day
               && back.hour == time.hour && back.minute == time.minute
               && back.second == time.second,
           "a time written is the time read back");
    return 0;
}
