// The zero calibration reply: judged by its station and its two result bytes alone.
#include "device/zero_calibration.h"
#include "fuzz_support.h"

using namespace kt::device;
using kt::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto station = input.ConsumeIntegral<std::uint8_t>();
    const kt::fuzz::Bytes reply = kt::fuzz::acceptedReply(input, kZeroCalibrationReplyLength);
    const ZeroCalibrationOutcome outcome = zeroCalibrationOutcome(reply, station);

    if (reply[0] != station)
        expect(outcome == ZeroCalibrationOutcome::OtherStation, "another station is ignored");
    else if (reply[3] == 0 && reply[4] == 0)
        expect(outcome == ZeroCalibrationOutcome::Success, "result 0 0 is success");
    else
        expect(outcome == ZeroCalibrationOutcome::Failure, "any other result is failure");
    return 0;
}
