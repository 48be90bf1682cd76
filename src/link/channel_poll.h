#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "device/channel_status.h"
#include "link/link.h"

namespace kt::link {

// How a caller runs the poll: the single poll after its own drain, with the standard wait,
// ending at the first failure; the monitoring discarding stale input before each request,
// with its shorter wait and its period before the status word's read, and reading every
// distance it can.
struct PollSteps {
    StaleInput staleInput = StaleInput::Keep;
    std::uint32_t replyWaitMs = device::kStandardReplyWaitMs;
    std::function<void()> beforeStatusRead;
    bool stopAtFailedDistance = true;
};

// Where the poll reports what it learnt, as it learns it.
struct PollReport {
    std::function<void(device::Channel, device::ChannelStatus)> statusRead;
    std::function<void(device::Channel, std::uint16_t hundredths)> distanceRead;
};

// Reads the status word, reports each channel with a known state (those not in leak first,
// channel B before A), then for each channel in leak, B before A, reports the leak and reads
// its distance. Returns the first failure, or none when every read succeeded.
std::optional<Failure> pollChannels(Link& link, std::uint8_t station, const PollSteps& steps,
                                    const PollReport& report);

}  // namespace kt::link
