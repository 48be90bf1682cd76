#include "link/channel_poll.h"

namespace kt::link {

using device::Channel;
using device::ChannelStatus;

std::optional<Failure> pollChannels(Link& link, std::uint8_t station, const PollSteps& steps,
                                    const PollReport& report)
{
    device::Command<device::ChannelCodes> statusWord = device::statusWordRead();
    statusWord.replyWaitMs = steps.replyWaitMs;
    const Result<device::ChannelCodes> codes =
        link.run(station, statusWord, {steps.staleInput, steps.beforeStatusRead});
    if (!codes)
        return codes.failure();

    for (const Channel channel : device::kPollOrder) {
        const auto status = device::channelStatus(codes->of(channel));
        if (status && *status != ChannelStatus::Leak)
            report.statusRead(channel, *status);
    }
    std::optional<Failure> firstFailure;
    for (const Channel channel : device::kPollOrder) {
        if (device::channelStatus(codes->of(channel)) != ChannelStatus::Leak)
            continue;
        report.statusRead(channel, ChannelStatus::Leak);
        device::Command<std::uint16_t> distance = device::leakDistanceRead(channel);
        distance.replyWaitMs = steps.replyWaitMs;
        const Result<std::uint16_t> hundredths = link.run(station, distance, {steps.staleInput});
        if (hundredths) {
            report.distanceRead(channel, *hundredths);
            continue;
        }
        if (!firstFailure)
            firstFailure = hundredths.failure();
        if (steps.stopAtFailedDistance)
            break;
    }
    return firstFailure;
}

}  // namespace kt::link
