// The monitoring replies: the status word's two channel codes and a leak distance, with the
// texts the console shows for them.
#include "device/channel_status.h"
#include "device/frames.h"
#include "fuzz_support.h"

using namespace kt::device;
using kt::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const kt::fuzz::Bytes statusReply = kt::fuzz::acceptedReply(input, kChannelReadReplyLength);
    const kt::fuzz::Bytes distanceReply = kt::fuzz::acceptedReply(input, kChannelReadReplyLength);

    const ChannelCodes codes = channelCodes(statusReply);
    expect(codes.channelB == statusReply[kReplyDataOffset]
               && codes.channelA == statusReply[kReplyDataOffset + 1],
           "the status word carries channel B's code first");
    for (const std::uint8_t code : {codes.channelA, codes.channelB}) {
        const std::optional<ChannelStatus> status = channelStatus(code);
        expect(status.has_value() == (code <= 2), "codes 0 to 2 and no others have a state");
        if (status) {
            const std::string_view text = channelStatusText(*status);
            expect(text == "正常" || text == "泄露" || text == "断线", "a state has its text");
        }
    }

    const std::uint16_t distance = leakDistance(distanceReply);
    expect(distance == wordAt(distanceReply, kReplyDataOffset), "the distance is the data word");
    expect(kt::fuzz::hundredthsShownAs(polledLeakDistanceText(distance)) == distance,
           "the single poll shows every distance in metres");
    const std::string monitored = monitoredLeakDistanceText(distance);
    if (distance == kUnknownLeakDistance)
        expect(monitored.empty(), "the monitoring leaves an unknown distance empty");
    else
        expect(kt::fuzz::hundredthsShownAs(monitored) == distance,
               "the monitoring shows a known distance in metres");
    return 0;
}
