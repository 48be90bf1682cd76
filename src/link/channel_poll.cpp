#include "link/channel_poll.h"

namespace kt::link {

using device::Channel;
using device::ChannelStatus;

namespace detail {

StationReading poll(Link& link, std::uint8_t station, const PollSteps& steps,
                    const PollReport& report)
{
    StationReading reading;
    device::Command<device::ChannelCodes> statusWord = device::statusWordRead();
    statusWord.replyWaitMs = steps.replyWaitMs;
    const Result<device::ChannelCodes> codes =
        link.run(station, statusWord, {steps.firstStaleInput, steps.beforeStatusRead});
    if (!codes) {
        reading.failure = codes.failure();
        return reading;
    }
    const auto learnt = [&](Channel channel, ChannelStatus status) {
        reading.status[channel] = status;
        if (report.statusRead)
            report.statusRead(channel, status);
    };

    for (const Channel channel : device::kPollOrder) {
        const auto status = device::channelStatus((*codes)[channel]);
        if (status && *status != ChannelStatus::Leak)
            learnt(channel, *status);
    }
    for (const Channel channel : device::kPollOrder) {
        if (device::channelStatus((*codes)[channel]) != ChannelStatus::Leak)
            continue;
        learnt(channel, ChannelStatus::Leak);
        device::Command<std::uint16_t> distance = device::leakDistanceRead(channel);
        distance.replyWaitMs = steps.replyWaitMs;
        const Result<std::uint16_t> hundredths =
            link.run(station, distance, {.staleInput = steps.laterStaleInput});
        if (hundredths) {
            reading.leakDistance[channel] = *hundredths;
            if (report.distanceRead)
                report.distanceRead(channel, *hundredths);
            continue;
        }
        if (!reading.failure)
            reading.failure = hundredths.failure();
        if (steps.stopAtFailedDistance)
            break;
    }
    return reading;
}

}  // namespace detail

StationReading pollChannels(Link& link, std::uint8_t station, const PollReport& report)
{
    return detail::poll(link, station,
                        {.firstStaleInput = StaleInput::Drain,
                         .laterStaleInput = StaleInput::Keep,
                         .replyWaitMs = device::kStandardReplyWaitMs,
                         .beforeStatusRead = nullptr,
                         .stopAtFailedDistance = true},
                        report);
}

}  // namespace kt::link
