#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "device/channel_status.h"
#include "link/link.h"

namespace kt::link {

// What one poll of a station learnt. A channel whose code has no meaning, or whose distance
// was not read, has none.
struct StationReading {
    device::PerChannel<std::optional<device::ChannelStatus>> status;
    device::PerChannel<std::optional<std::uint16_t>> leakDistance;  // hundredths of a metre
    std::optional<Failure> failure;                                 // the first one
};

// Where a poll reports what it learnt, as it learns it; either may be left empty.
struct PollReport {
    std::function<void(device::Channel, device::ChannelStatus)> statusRead;
    std::function<void(device::Channel, std::uint16_t hundredths)> distanceRead;
};

// The single poll, as a button or `kt5270 status` runs it: stale input drained first, the
// standard reply wait, ending at the first failure. Reads the status word, reports each
// channel with a known state (those not in leak first, channel B before A), then for each
// channel in leak, B before A, reports the leak and reads its distance.
StationReading pollChannels(Link& link, std::uint8_t station, const PollReport& report = {});

namespace detail {

// How the single poll and the monitoring differ.
struct PollSteps {
    StaleInput firstStaleInput;  // before the status word
    StaleInput laterStaleInput;  // before each distance
    std::uint32_t replyWaitMs;
    std::function<void()> beforeStatusRead;
    bool stopAtFailedDistance;
};

StationReading poll(Link& link, std::uint8_t station, const PollSteps& steps,
                            const PollReport& report);

}  // namespace detail
}  // namespace kt::link
