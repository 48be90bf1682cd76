// The clock read reply: eight BCD bytes decoded without checks, whatever they hold.
#include "device/bcd.h"
#include "device/device_clock.h"
#include "device/frames.h"
#include "fuzz_support.h"

using namespace kt::device;
using kt::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const kt::fuzz::Bytes reply = kt::fuzz::acceptedReply(input, kClockReadReplyLength);
    const DateTime time = clockTimeFromReply(reply);

    const auto bcd = [&reply](std::size_t index) { return bcdToInt(reply[kReplyDataOffset + index]); };
    expect(time.year == bcd(0) * 100 + bcd(1), "century and year make the year");
    expect(time.month == bcd(2) && time.day == bcd(3) && time.hour == bcd(4)
               && time.minute == bcd(5) && time.second == bcd(7),
           "the fields come from their bytes; byte 6 is spare");
    for (const int field : {time.month, time.day, time.hour, time.minute, time.second})
        expect(field >= 0 && field <= 165, "a BCD byte decodes to 0..165");
    expect(time.year >= 0 && time.year <= 16665, "a BCD year decodes to 0..16665");
    return 0;
}
